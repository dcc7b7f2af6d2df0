#pragma once

#include <filesystem>
#include <optional>

namespace tavrilux::linux_platform {

// Finds the resource bundle of the running program: next to the executable in a build tree,
// else in <prefix>/share/tavrilux/ for an executable installed in <prefix>/bin.
class ResourceBundleLocator final {
public:
    static std::optional<std::filesystem::path> locate(const std::filesystem::path& executable);
    // locate() for /proc/self/exe.
    static std::optional<std::filesystem::path> locateForThisProcess();
    static std::optional<std::filesystem::path> executablePath();
};

} // namespace tavrilux::linux_platform
