#pragma once

#include "core/resources/ResourceBundle.h"

#include <filesystem>
#include <memory>
#include <optional>

namespace tavrilux::linux_platform {

// Finds the resource bundle of the running program: next to the executable in a build tree,
// else in <prefix>/share/tavrilux/ for an executable installed in <prefix>/bin.
class ResourceBundleLocator final {
public:
    static std::optional<std::filesystem::path> locate(const std::filesystem::path& executable);
    // locate() for /proc/self/exe.
    static std::optional<std::filesystem::path> locateForThisProcess();
    // /proc/self/exe, when it names an existing file.
    static std::optional<std::filesystem::path> executablePath();
    // The located bundle opened from disk, or an empty bundle when there is none (every text
    // then shows its key and there is no icon); for ResourceBundle::installShared().
    static std::shared_ptr<const ResourceBundle> openForThisProcess();
};

} // namespace tavrilux::linux_platform
