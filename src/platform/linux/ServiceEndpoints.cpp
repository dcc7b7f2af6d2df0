#include "platform/linux/ServiceEndpoints.h"

#include "core/services/CrashReportingAPIClient.h"

#ifndef TAVRILUX_UPDATE_FEED_URL
#error "TAVRILUX_UPDATE_FEED_URL must be defined by the build"
#endif
#ifndef TAVRILUX_CRASH_REPORT_HOST
#error "TAVRILUX_CRASH_REPORT_HOST must be defined by the build"
#endif
#ifndef TAVRILUX_VERSION
#error "TAVRILUX_VERSION must be defined by the build"
#endif

namespace tavrilux::linux_platform {

std::string ServiceEndpoints::updateFeedUrl() {
    return TAVRILUX_UPDATE_FEED_URL;
}
std::string ServiceEndpoints::crashReportHost() {
    return TAVRILUX_CRASH_REPORT_HOST;
}
std::string ServiceEndpoints::crashReportUrl() {
    return CrashReportingAPIClient::endpointForHost(crashReportHost());
}
std::string ServiceEndpoints::programVersion() {
    return TAVRILUX_VERSION;
}

} // namespace tavrilux::linux_platform
