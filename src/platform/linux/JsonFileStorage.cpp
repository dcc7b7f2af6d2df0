#include "platform/linux/JsonFileStorage.h"

#include "platform/linux/FileText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrilux::linux_platform {

namespace fs = std::filesystem;

JsonFileStorage::JsonFileStorage(fs::path file) : file_(std::move(file)) {}

namespace {

StoredText unreadable(std::string why) {
    return {StoredText::State::unreadable, std::move(why)};
}

std::string cannotRead(int error) {
    return std::string("cannot be read (") + std::strerror(error) + ")";
}

// The file a save replaces: `file` itself, or the final target when it is a symbolic link.
std::optional<fs::path> finalTarget(const fs::path& file, std::string& error) {
    fs::path path = file;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code failed;
        if (!fs::is_symlink(fs::symlink_status(path, failed))) {
            return path;
        }
        fs::path link = fs::read_symlink(path, failed);
        if (failed) {
            error = failed.message();
            return std::nullopt;
        }
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    error = std::strerror(ELOOP);
    return std::nullopt;
}

} // namespace

StoredText JsonFileStorage::load() {
    // Looked at before it is opened: opening a FIFO would wait for a writer, and opening a
    // device may do something.
    struct stat info {};
    if (::stat(file_.c_str(), &info) != 0) {
        return errno == ENOENT ? StoredText{} : unreadable(cannotRead(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        return unreadable("is not a regular file");
    }
    const std::string tooLarge = "is larger than " + std::to_string(kMaxBytes >> 20) + " MiB";
    if (static_cast<std::uintmax_t>(info.st_size) > kMaxBytes) {
        return unreadable(tooLarge);
    }
    const int fd = ::open(file_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return unreadable(cannotRead(errno));
    }
    // It may have been replaced since it was looked at.
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    int error = 0;
    auto text = regular ? readToEnd(fd, kMaxBytes, &error) : std::nullopt;
    ::close(fd);
    if (!regular) {
        return unreadable("is not a regular file");
    }
    if (!text) {
        return unreadable(error == EFBIG ? tooLarge : cannotRead(error));
    }
    return {StoredText::State::present, std::move(*text)};
}

bool JsonFileStorage::setAside() {
    // The first free name wins; an earlier kept copy is never replaced.
    for (int n = 0; n < kMaxAsideCopies; ++n) {
        fs::path target = file_;
        target += n == 0 ? std::string(".corrupt") : ".corrupt." + std::to_string(n);
        if (::renameat2(AT_FDCWD, file_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
            return true;
        }
        int error = errno;
        if (error == EINVAL) {
            // A file system without the no-replace flag: look first, then move.
            std::error_code unknown;
            if (fs::exists(fs::symlink_status(target, unknown))) {
                continue;
            }
            if (::rename(file_.c_str(), target.c_str()) == 0) {
                return true;
            }
            error = errno;
        }
        if (error == EEXIST) {
            continue;
        }
        std::error_code ignored;
        if (error == ENOENT && !fs::exists(fs::symlink_status(file_, ignored))) {
            return true; // gone already: nothing left to protect
        }
        lastError_ = std::strerror(error);
        return false;
    }
    lastError_ = "every name for a kept copy is taken";
    return false;
}

bool JsonFileStorage::store(const std::string& text) {
    const auto target = finalTarget(file_, lastError_);
    if (!target) {
        return false;
    }
    std::string temp = target->string() + ".tmp-XXXXXX";
    // Close-on-exec: a process started meanwhile on another thread must not inherit it.
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        lastError_ = std::strerror(errno);
        return false;
    }
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            lastError_ = std::strerror(errno);
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    // mkostemp makes the file 0600, which is what settings want. The descriptor is closed
    // whether or not the sync worked.
    const int synced = ::fsync(fd) == 0 ? 0 : errno;
    const int closed = ::close(fd) == 0 ? 0 : errno;
    if (synced != 0 || closed != 0) {
        lastError_ = std::strerror(synced != 0 ? synced : closed);
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), target->c_str()) != 0) {
        lastError_ = std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

DefaultsRegistry::StorageFactory JsonFileStorage::factoryIn(fs::path folder) {
    return
        [folder = std::move(folder)](const std::string& domain) -> std::unique_ptr<DomainStorage> {
            std::error_code error;
            fs::create_directories(folder, error);
            if (error || ::access(folder.c_str(), W_OK | X_OK) != 0) {
                return nullptr;
            }
            return std::make_unique<JsonFileStorage>(folder / (domain + ".json"));
        };
}

} // namespace tavrilux::linux_platform
