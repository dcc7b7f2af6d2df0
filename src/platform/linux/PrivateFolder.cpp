#include "platform/linux/PrivateFolder.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrilux::linux_platform {

std::optional<ServiceFailure> PrivateFolder::prepare(const std::filesystem::path& folder) {
    if (folder.empty() || !folder.is_absolute()) {
        return ServiceFailure{"not an absolute folder: " + folder.string()};
    }
    std::error_code error;
    const auto parent = folder.parent_path();
    if (!std::filesystem::exists(parent, error)) {
        std::filesystem::create_directories(parent, error);
        if (error) {
            return ServiceFailure{"cannot create " + parent.string() + ": " + error.message()};
        }
        ::chmod(parent.c_str(), 0700);
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return ServiceFailure{"cannot create " + folder.string() + ": " + std::strerror(errno)};
    }
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) {
        return ServiceFailure{"cannot inspect " + folder.string() + ": " + std::strerror(errno)};
    }
    if (!S_ISDIR(info.st_mode)) {
        return ServiceFailure{folder.string() + " is not a folder"};
    }
    if (info.st_uid != ::geteuid()) {
        return ServiceFailure{folder.string() + " belongs to another user"};
    }
    if ((info.st_mode & 07777) != 0700 && ::chmod(folder.c_str(), 0700) != 0) {
        return ServiceFailure{"cannot make " + folder.string() + " private"};
    }
    return std::nullopt;
}

} // namespace tavrilux::linux_platform
