#include "core/diagnostics/DimmingResourceMonitor.h"
#include "core/diagnostics/DimmingPerfLine.h"

#include "fakes/FakeResourceUsageProbe.h"
#include "fakes/VirtualMainQueue.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tavrilux {
namespace {

using namespace std::chrono_literals;

TEST(DimmingPerfLineTest, ExactTextForGivenCounts) {
    EXPECT_EQ(formatDimmingPerfLine(12.34, 56.0, 2, 1),
              "[DimmingPerf] cpu=12.3% gpu=56.0% liveBackdropLayers=3 overlays=2 "
              "activeTransitionOverlays=1");
    EXPECT_EQ(formatDimmingPerfLine(-1.0, std::nullopt, 4, 0),
              "[DimmingPerf] cpu=-1.0% gpu=n/a liveBackdropLayers=4 overlays=4 "
              "activeTransitionOverlays=0");
    EXPECT_EQ(formatDimmingPerfLine(250.0, 100.0, 2147483647, 1),
              "[DimmingPerf] cpu=250.0% gpu=100.0% liveBackdropLayers=2147483648 "
              "overlays=2147483647 activeTransitionOverlays=1");
}

TEST(DimmingPerfLineTest, OneDecimalRoundsLikePrintf) {
    for (double value : {0.05, 0.15, 0.25, 1.45, 2.675, 99.95, 123.456, 1e-9, -0.04}) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.1f", value);
        EXPECT_EQ(formatOneDecimal(value), expected) << value;
    }
}

class DimmingResourceMonitorTest : public ::testing::Test {
protected:
    std::unique_ptr<DimmingResourceMonitor> make() {
        return std::make_unique<DimmingResourceMonitor>(
            queue, probe, [this](std::string_view line) { lines.emplace_back(line); });
    }

    // A sample of no overlays that counts its calls in `samples`.
    DiagnosticsSample countingSample() {
        return [this] {
            ++samples;
            return OverlayCounts{};
        };
    }

    fakes::VirtualMainQueue queue;
    fakes::FakeResourceUsageProbe probe;
    std::vector<std::string> lines;
    int samples = 0;
};

TEST_F(DimmingResourceMonitorTest, FirstLineComesOneIntervalAfterStartThenEveryInterval) {
    auto monitor = make();
    probe.cpuPercent = 3.25;
    probe.gpuPercent = 17.0;
    monitor->start(2.0s, [] { return OverlayCounts{2, 1}; });

    queue.advance(1.999s);
    EXPECT_TRUE(lines.empty());
    queue.advance(0.001s);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "[DimmingPerf] cpu=3.2% gpu=17.0% liveBackdropLayers=3 overlays=2 "
                        "activeTransitionOverlays=1");
    queue.advance(6.0s);
    EXPECT_EQ(lines.size(), 4u);
    EXPECT_EQ(probe.cpuMeasurements, 4);
    EXPECT_EQ(probe.gpuMeasurements, 4);
}

TEST_F(DimmingResourceMonitorTest, StartingAgainLeavesOneTimerAtTheNewInterval) {
    auto monitor = make();
    int firstSamples = 0;
    monitor->start(2.0s, [&] {
        ++firstSamples;
        return OverlayCounts{};
    });
    queue.advance(1.0s);
    monitor->start(5.0s, countingSample());
    EXPECT_EQ(queue.pendingCount(), 1u);
    queue.advance(4.9s);
    EXPECT_TRUE(lines.empty()) << "the first timer must not fire any more";
    queue.advance(0.1s);
    EXPECT_EQ(lines.size(), 1u);
    queue.advance(10.0s);
    EXPECT_EQ(lines.size(), 3u);
    EXPECT_EQ(firstSamples, 0);
    EXPECT_EQ(samples, 3);
    EXPECT_EQ(queue.pendingCount(), 1u);
}

TEST_F(DimmingResourceMonitorTest, GoneOrStoppedBetweenFiringAndItsTaskWritesNothing) {
    for (const bool stop : {false, true}) {
        auto monitor = make();
        monitor->start(2.0s, countingSample());
        // Run only the timer: the line's task is posted for "now" and still waits.
        queue.postAfter(2.0s, [&] { stop ? monitor->stop() : monitor.reset(); });
        queue.advance(2.0s);
        EXPECT_EQ(samples, 0) << "stopped: " << stop;
        EXPECT_TRUE(lines.empty()) << "stopped: " << stop;
    }
}

TEST_F(DimmingResourceMonitorTest, StopEndsTheLinesAndStartRunsThemAgain) {
    auto monitor = make();
    monitor->start(2.0s, countingSample());
    queue.advance(2.0s);
    ASSERT_EQ(lines.size(), 1u);
    monitor->stop();
    EXPECT_FALSE(monitor->isRunning());
    queue.advance(10.0s);
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_FALSE(queue.hasPending()) << "no timer is left behind";

    monitor->start(1.0s, [&] { return OverlayCounts{1, 0}; });
    queue.advance(1.0s);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "[DimmingPerf] cpu=0.0% gpu=n/a liveBackdropLayers=1 overlays=1 "
                        "activeTransitionOverlays=0");
    EXPECT_EQ(samples, 1);
}

TEST_F(DimmingResourceMonitorTest, ZeroIntervalDoesNotSpin) {
    auto monitor = make();
    monitor->start(0s, [] { return OverlayCounts{}; });
    // Counted as 0.1 ms, like a platform timer does.
    queue.advance(0.00105s);
    EXPECT_EQ(lines.size(), 10u);
}

} // namespace
} // namespace tavrilux
