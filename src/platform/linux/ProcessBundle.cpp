#include "platform/linux/ProcessBundle.h"

#include "platform/linux/ServiceEndpoints.h"

#include <sys/stat.h>

namespace tavrilux::linux_platform {

namespace fs = std::filesystem;

std::optional<fs::path> ProcessBundle::executablePath() {
    std::error_code error;
    auto path = fs::read_symlink("/proc/self/exe", error);
    if (error || path.empty()) {
        return std::nullopt;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt; // deleted or moved since it started
    }
    return path;
}

MainBundleInfo ProcessBundle::forExecutable(const std::optional<fs::path>& executable,
                                            const std::string& version) {
    MainBundleInfo info;
    info.executablePath = executable;
    if (!executable) {
        return info;
    }
    const fs::path bin = executable->parent_path();
    std::error_code error;
    if (bin.filename() == "bin" &&
        fs::is_directory(bin.parent_path() / "share" / "tavrilux" / kResourceBundleName, error)) {
        info.flavor = BuildFlavor::packaged;
        info.shortVersion = version;
    }
    return info;
}

MainBundleInfo ProcessBundle::current() {
    return forExecutable(executablePath(), ServiceEndpoints::programVersion());
}

} // namespace tavrilux::linux_platform
