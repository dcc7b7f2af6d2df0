#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tavrilux::linux_platform {

// The whole content of a regular file, /proc and /sys files included (they report no size), or
// nothing when it cannot be opened or read; `error`, when given, then receives the errno (ENOENT
// for a file that does not exist).
std::optional<std::string> readFileText(const std::filesystem::path& path, int* error = nullptr);

} // namespace tavrilux::linux_platform
