#pragma once

#include "core/services/SystemOpener.h"

#include <vector>

namespace tavrilux::fakes {

class FakeSystemOpener final : public SystemOpener {
public:
    void openFolder(const std::filesystem::path& folder) override { opened.push_back(folder); }
    std::vector<std::filesystem::path> opened;
};

} // namespace tavrilux::fakes
