#pragma once

#include "core/services/MainBundleInfo.h"

#include <filesystem>
#include <optional>

namespace tavrilux::linux_platform {

// Works out how the running program was built: packaged when its executable lies in <prefix>/bin
// and <prefix>/share/tavrilux holds the resource bundle, a development build otherwise.
class ProcessBundle final {
public:
    static MainBundleInfo current();
    // The same rule for a given executable; `version` is the release version a packaged build
    // reports.
    static MainBundleInfo forExecutable(const std::optional<std::filesystem::path>& executable,
                                        const std::string& version);
};

} // namespace tavrilux::linux_platform
