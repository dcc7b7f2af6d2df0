#include "platform/linux/ProcessBundle.h"

#include "core/resources/ResourceBundle.h"
#include "platform/linux/ResourceBundleLocator.h"
#include "platform/linux/ServiceEndpoints.h"

namespace tavrilux::linux_platform {

namespace fs = std::filesystem;

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
        fs::is_directory(bin.parent_path() / "share" / "tavrilux" / ResourceBundle::kBundleName,
                         error)) {
        info.flavor = BuildFlavor::packaged;
        info.shortVersion = version;
    }
    return info;
}

MainBundleInfo ProcessBundle::current() {
    return forExecutable(ResourceBundleLocator::executablePath(),
                         ServiceEndpoints::programVersion());
}

} // namespace tavrilux::linux_platform
