#include "platform/linux/ResourceBundleLocator.h"

#include "platform/linux/DirectoryResourceBundle.h"

#include <sys/stat.h>

#include <system_error>

namespace tavrilux::linux_platform {

std::optional<std::filesystem::path>
ResourceBundleLocator::locate(const std::filesystem::path& executable) {
    const auto folder = executable.parent_path();
    const std::filesystem::path candidates[] = {
        folder / ResourceBundle::kBundleName,
        folder.parent_path() / "share" / "tavrilux" / ResourceBundle::kBundleName,
    };
    for (const auto& candidate : candidates) {
        std::error_code error;
        if (std::filesystem::is_directory(candidate, error)) {
            return candidate;
        }
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> ResourceBundleLocator::executablePath() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || path.empty()) {
        return std::nullopt;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt; // deleted or moved since it started
    }
    return path;
}

std::optional<std::filesystem::path> ResourceBundleLocator::locateForThisProcess() {
    if (auto executable = executablePath()) {
        return locate(*executable);
    }
    return std::nullopt;
}

std::shared_ptr<const ResourceBundle> ResourceBundleLocator::openForThisProcess() {
    if (auto folder = locateForThisProcess()) {
        return std::make_shared<DirectoryResourceBundle>(*folder);
    }
    return std::make_shared<EmptyResourceBundle>();
}

} // namespace tavrilux::linux_platform
