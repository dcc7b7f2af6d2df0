#include "platform/linux/XdgPaths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace tavrilux::linux_platform {

namespace {
std::filesystem::path fromEnv(const char* name, const char* fallbackUnderHome) {
    if (const char* value = std::getenv(name); value && value[0] == '/') {
        return value;
    }
    return XdgPaths::home() / fallbackUnderHome;
}
} // namespace

std::filesystem::path XdgPaths::home() {
    if (const char* value = std::getenv("HOME"); value && value[0] != '\0') {
        return value;
    }
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) {
        return entry->pw_dir;
    }
    return "/";
}

std::filesystem::path XdgPaths::configHome() {
    return fromEnv("XDG_CONFIG_HOME", ".config");
}
std::filesystem::path XdgPaths::stateHome() {
    return fromEnv("XDG_STATE_HOME", ".local/state");
}
std::filesystem::path XdgPaths::dataHome() {
    return fromEnv("XDG_DATA_HOME", ".local/share");
}

} // namespace tavrilux::linux_platform
