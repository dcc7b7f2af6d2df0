#pragma once

#include <filesystem>

namespace tavrilux::linux_platform {

// The XDG base directories, each from its variable when set to an absolute path, else the
// specified fallback under $HOME.
class XdgPaths final {
public:
    static std::filesystem::path configHome();
    static std::filesystem::path stateHome();
    static std::filesystem::path dataHome();
    static std::filesystem::path home();
    // Tavrilux's own folder in the configuration home.
    static std::filesystem::path tavriluxConfigDir() { return configHome() / "tavrilux"; }
};

} // namespace tavrilux::linux_platform
