#include "platform/linux/OperatingSystem.h"

#include "platform/linux/LinuxFileSystem.h"

#include <sys/utsname.h>

namespace tavrilux::linux_platform {

namespace {
std::string prettyName() {
    LinuxFileSystem files;
    auto text = files.readFile("/etc/os-release", 64 * 1024);
    if (!text) {
        text = files.readFile("/usr/lib/os-release", 64 * 1024);
    }
    if (!text) {
        return {};
    }
    std::size_t start = 0;
    while (start < text->size()) {
        auto end = text->find('\n', start);
        if (end == std::string::npos) {
            end = text->size();
        }
        std::string line = text->substr(start, end - start);
        start = end + 1;
        if (line.rfind("PRETTY_NAME=", 0) != 0) {
            continue;
        }
        std::string value = line.substr(12);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        return value;
    }
    return {};
}
} // namespace

std::string OperatingSystem::versionString() {
    std::string kernel;
    utsname name{};
    if (::uname(&name) == 0) {
        kernel = std::string(name.sysname) + " " + name.release;
    }
    const std::string distribution = prettyName();
    if (distribution.empty()) {
        return kernel;
    }
    return kernel.empty() ? distribution : distribution + ", " + kernel;
}

} // namespace tavrilux::linux_platform
