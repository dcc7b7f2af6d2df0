#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace tavrilux::linux_platform {

// The whole content of a regular file, /proc and /sys files included (they report no size), or
// nothing when it cannot be opened or read; `error`, when given, then receives the errno (ENOENT
// for a file that does not exist).
std::optional<std::string> readFileText(const std::filesystem::path& path, int* error = nullptr);

// The rest of an open file, read to its end, or nothing when a read fails (`error` receives its
// errno) or more than `maxBytes` come (`error` receives EFBIG). The descriptor stays open.
std::optional<std::string> readToEnd(int fd, std::size_t maxBytes, int* error = nullptr);

} // namespace tavrilux::linux_platform
