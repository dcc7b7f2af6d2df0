#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tavrilux {

enum class BuildFlavor {
    // Installed under a prefix whose share/tavrilux holds the resource bundle.
    packaged,
    // Anything else, e.g. run straight from the build tree.
    development,
};

// What the running program knows about itself.
struct MainBundleInfo final {
    BuildFlavor flavor = BuildFlavor::development;
    // The running executable, when it can be located.
    std::optional<std::filesystem::path> executablePath;
    // The release version; development builds have none.
    std::optional<std::string> shortVersion;

    bool isPackaged() const { return flavor == BuildFlavor::packaged; }
};

} // namespace tavrilux
