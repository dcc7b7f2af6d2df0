#pragma once

#include "core/platform/ApplicationDirectory.h"

#include <map>

namespace tavrilux::fakes {

class FakeApplicationDirectory final : public ApplicationDirectory {
public:
    std::optional<InstalledApplication> application(std::string_view key) const override {
        auto it = installed.find(std::string(key));
        return it == installed.end() ? std::nullopt : std::optional(it->second);
    }

    std::map<std::string, InstalledApplication> installed;
};

} // namespace tavrilux::fakes
