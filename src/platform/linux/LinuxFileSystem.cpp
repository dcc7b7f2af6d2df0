#include "platform/linux/LinuxFileSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrilux::linux_platform {

namespace fs = std::filesystem;

namespace {
ServiceFailure failure(const std::string& what, const fs::path& path, int error) {
    return ServiceFailure{what + " " + path.string() + ": " + std::strerror(error)};
}
} // namespace

std::optional<std::string> LinuxFileSystem::readFile(const fs::path& file,
                                                     std::size_t maxBytes) const {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::size_t>(info.st_size) > maxBytes) {
        ::close(fd);
        return std::nullopt;
    }
    std::string content;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        content.append(buffer, static_cast<std::size_t>(got));
        if (content.size() > maxBytes) { // grew while we read
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    return content;
}

bool LinuxFileSystem::fileExists(const fs::path& file) const {
    struct stat info {};
    return ::lstat(file.c_str(), &info) == 0;
}

std::optional<ServiceFailure> LinuxFileSystem::writeFileAtomically(const fs::path& file,
                                                                   const std::string& content) {
    std::string temp = file.string() + ".tmp-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return failure("cannot create a file beside", file, errno);
    }
    auto abandon = [&](const char* what) {
        const int error = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        return failure(what, file, error);
    };
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return abandon("cannot write");
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0) {
        return abandon("cannot store");
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return failure("cannot store", file, error);
    }
    if (::rename(temp.c_str(), file.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return failure("cannot replace", file, error);
    }
    return std::nullopt;
}

std::optional<ServiceFailure> LinuxFileSystem::createDirectories(const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        return ServiceFailure{"cannot create " + folder.string() + ": " + error.message()};
    }
    return std::nullopt;
}

std::optional<ServiceFailure> LinuxFileSystem::removeFile(const fs::path& file) {
    if (::unlink(file.c_str()) != 0 && errno != ENOENT) {
        return failure("cannot remove", file, errno);
    }
    return std::nullopt;
}

} // namespace tavrilux::linux_platform
