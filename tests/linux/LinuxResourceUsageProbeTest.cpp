#include "platform/linux/LinuxResourceUsageProbe.h"

#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>

namespace tavrilux::linux_platform {
namespace {

namespace fs = std::filesystem;

using fakes::TempDir;
using fakes::writeFile;

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double monotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

TEST(LinuxResourceUsageProbeTest, CpuFigureRisesWhileAThreadSpins) {
    LinuxResourceUsageProbe probe;
    ASSERT_GE(probe.processCpuUsagePercent(), 0.0);

    std::mutex mutex;
    std::condition_variable changed;
    bool spun = false;
    bool measured = false;
    double spinnerShare = 0.0; // the spinner's own CPU time over its life, in percent
    const double wallStart = monotonicSeconds();
    std::thread spinner([&] {
        // Burn 0.3 s of this thread's own CPU time, then stay alive until measured.
        const double start = threadCpuSeconds();
        volatile unsigned long sink = 0;
        while (threadCpuSeconds() - start < 0.3) {
            for (int i = 0; i < 10000; ++i) {
                sink = sink + static_cast<unsigned long>(i);
            }
        }
        std::unique_lock lock(mutex);
        spinnerShare = 100.0 * threadCpuSeconds() / (monotonicSeconds() - wallStart);
        spun = true;
        changed.notify_all();
        changed.wait(lock, [&] { return measured; });
    });
    double during = 0.0;
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return spun; });
        during = probe.processCpuUsagePercent();
        measured = true;
        changed.notify_all();
    }
    spinner.join();
    // On an idle machine the spinner runs at about 100 %; on a loaded one it gets less, and the
    // figure must still show the share it got (clock ticks are 10 ms, hence the margin).
    EXPECT_GT(spinnerShare, 5.0);
    EXPECT_GT(during, 0.6 * spinnerShare) << "spinner share " << spinnerShare;
}

TEST(LinuxResourceUsageProbeTest, MissingTaskFolderIsAFailedMeasurement) {
    LinuxResourceUsageProbe probe("/nonexistent/task", "/nonexistent/drm");
    EXPECT_EQ(probe.processCpuUsagePercent(), -1.0);
    EXPECT_EQ(probe.systemGpuUtilizationPercent(), std::nullopt);
}

TEST(LinuxResourceUsageProbeTest, GpuFromTheFirstCardThatReportsABusyPercentage) {
    TempDir sys;
    const auto drm = sys.path() / "drm";
    fs::create_directories(drm / "card0" / "device");                      // driver offers nothing
    writeFile(drm / "card0-DP-1" / "device" / "gpu_busy_percent", "99\n"); // a connector
    writeFile(drm / "card10" / "device" / "gpu_busy_percent", "80\n");
    writeFile(drm / "card2" / "device" / "gpu_busy_percent", "garbage\n");
    LinuxResourceUsageProbe probe("/proc/self/task", drm);
    EXPECT_EQ(probe.systemGpuUtilizationPercent(), 80.0);

    writeFile(drm / "card3" / "device" / "gpu_busy_percent", "37\n");
    EXPECT_EQ(probe.systemGpuUtilizationPercent(), 37.0) << "card3 comes before card10";
}

TEST(LinuxResourceUsageProbeTest, NoDriverWithABusyPercentageGivesNothing) {
    TempDir sys;
    fs::create_directories(sys.path() / "drm" / "card0" / "device");
    fs::create_directories(sys.path() / "drm" / "renderD128");
    LinuxResourceUsageProbe probe("/proc/self/task", sys.path() / "drm");
    EXPECT_EQ(probe.systemGpuUtilizationPercent(), std::nullopt);
}

} // namespace
} // namespace tavrilux::linux_platform
