#pragma once

#include <string>

namespace tavrilux::linux_platform {

// Addresses and version fixed when the program is built (CMake cache variables
// TAVRILUX_UPDATE_FEED_URL and TAVRILUX_CRASH_REPORT_HOST, and the project version).
class ServiceEndpoints final {
public:
    static std::string updateFeedUrl();
    static std::string crashReportHost();
    // https://<crash report host>/api/v1/crash-reports
    static std::string crashReportUrl();
    static std::string programVersion();
};

} // namespace tavrilux::linux_platform
