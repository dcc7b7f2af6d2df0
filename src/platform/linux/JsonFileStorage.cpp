#include "platform/linux/JsonFileStorage.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tavrilux::linux_platform {

namespace fs = std::filesystem;

JsonFileStorage::JsonFileStorage(fs::path file) : file_(std::move(file)) {}

std::optional<std::string> JsonFileStorage::load() {
    const int fd = ::open(file_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            return std::nullopt; // never written
        }
        // Present but unreadable: report it as unreadable text so that it is kept aside rather
        // than replaced by the next save.
        lastError_ = std::strerror(errno);
        return std::string();
    }
    std::string text;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            // E.g. a directory in place of the file.
            lastError_ = std::strerror(errno);
            text.clear();
            break;
        }
    }
    ::close(fd);
    return text;
}

void JsonFileStorage::setAside() {
    // Never overwrite an earlier corrupt copy: the first free name wins.
    fs::path target = file_;
    target += ".corrupt";
    for (int n = 1; fs::exists(target) && n < 1000; ++n) {
        target = file_;
        target += ".corrupt." + std::to_string(n);
    }
    std::error_code error;
    fs::rename(file_, target, error);
    if (error) {
        lastError_ = error.message();
    }
}

bool JsonFileStorage::store(const std::string& text) {
    std::string temp = file_.string() + ".tmp-XXXXXX";
    const int fd = mkstemp(temp.data());
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
    // mkstemp makes the file 0600, which is what settings want.
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        lastError_ = std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), file_.c_str()) != 0) {
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
