#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tavrilux::linux_platform {

// The whole content of a regular file, /proc and /sys files included (they report no size), or
// nothing when it cannot be opened or read.
std::optional<std::string> readFileText(const std::filesystem::path& path);

} // namespace tavrilux::linux_platform
