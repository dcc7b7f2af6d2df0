#include "platform/linux/DirectoryResourceBundle.h"

#include "platform/linux/FileText.h"

#include <algorithm>
#include <system_error>

namespace tavrilux::linux_platform {

DirectoryResourceBundle::DirectoryResourceBundle(std::filesystem::path root)
    : root_(std::move(root)) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(root_, error), end; !error && it != end;
         it.increment(error)) {
        const auto& path = it->path();
        std::error_code typeError;
        if (path.extension() == ".lproj" && it->is_directory(typeError)) {
            localizations_.push_back(path.stem().string());
        }
    }
    std::sort(localizations_.begin(), localizations_.end());
}

bool DirectoryResourceBundle::exists(const std::string& relativePath) const {
    if (!isSafeRelativePath(relativePath)) {
        return false;
    }
    std::error_code error;
    return std::filesystem::exists(root_ / relativePath, error);
}

std::optional<std::string>
DirectoryResourceBundle::readFile(const std::string& relativePath) const {
    if (!isSafeRelativePath(relativePath)) {
        return std::nullopt;
    }
    const auto path = root_ / relativePath;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    return readFileText(path);
}

} // namespace tavrilux::linux_platform
