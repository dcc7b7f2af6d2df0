#include "platform/linux/FileText.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace tavrilux::linux_platform {

std::optional<std::string> readFileText(const std::filesystem::path& path, int* error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (error) {
            *error = errno;
        }
        return std::nullopt;
    }
    auto text = readToEnd(fd, std::numeric_limits<std::size_t>::max(), error);
    ::close(fd);
    return text;
}

std::optional<std::string> readToEnd(int fd, std::size_t maxBytes, int* error) {
    const auto fail = [error](int code) -> std::optional<std::string> {
        if (error) {
            *error = code;
        }
        return std::nullopt;
    };
    std::string text;
    char buffer[16384];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
            if (text.size() > maxBytes) { // grew while we read
                return fail(EFBIG);
            }
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            // E.g. a folder in place of the file.
            return fail(errno);
        }
    }
    return text;
}

} // namespace tavrilux::linux_platform
