#include "core/diagnostics/DimmingResourceMonitor.h"
#include "platform/linux/LinuxResourceUsageProbe.h"

#include "fakes/VirtualMainQueue.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace tavrilux::linux_platform {
namespace {

using namespace std::chrono_literals;

// The monitor as the application runs it: real measurements, the line on standard error.
TEST(DiagnosticsLineTest, RealProbeWritesOneWellFormedLinePerIntervalToStandardError) {
    fakes::VirtualMainQueue queue;
    LinuxResourceUsageProbe probe;
    DimmingResourceMonitor monitor(queue, probe);
    monitor.start(2.0s, [] { return OverlayCounts{1, 0}; });

    testing::internal::CaptureStderr();
    queue.advance(4.0s);
    const std::string output = testing::internal::GetCapturedStderr();

    const std::string line = R"re(\[DimmingPerf\] cpu=\d+\.\d% gpu=(n/a|\d+\.\d%) )re"
                             R"re(liveBackdropLayers=1 overlays=1 activeTransitionOverlays=0\n)re";
    EXPECT_TRUE(std::regex_match(output, std::regex("(" + line + "){2}"))) << output;
}

} // namespace
} // namespace tavrilux::linux_platform
