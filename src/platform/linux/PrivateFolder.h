#pragma once

#include "core/services/ServiceFailure.h"

#include <filesystem>
#include <optional>

namespace tavrilux::linux_platform {

// A folder only this user can enter: created with mode 0700 (missing parents too), and an
// existing one is accepted only when it is a real folder (not a link) owned by this user, whose
// mode is then tightened to 0700.
class PrivateFolder final {
public:
    static std::optional<ServiceFailure> prepare(const std::filesystem::path& folder);
};

} // namespace tavrilux::linux_platform
