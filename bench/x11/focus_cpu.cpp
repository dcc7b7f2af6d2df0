// The CPU a process that only tracks focus uses while nothing changes: 30 windows open on the
// test desktop, the tracker polling every 150 ms and listening to the workspace, measured from
// /proc/self/stat over the given seconds (default 30).
//
// Usage: tavrilux_focus_cpu [seconds]
#include "TestDesktop.h"
#include "core/focus/ScreenFocusTracker.h"
#include "core/focus/SystemEventObserver.h"
#include "platform/linux/PollMainQueue.h"
#include "platform/x11/X11Desktop.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

// utime + stime of this process, in clock ticks.
long long cpuTicks() {
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    // Fields after the parenthesised command name; utime and stime are fields 14 and 15.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long long utime = 0;
    long long stime = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14) {
            utime = std::stoll(field);
        } else if (index == 15) {
            stime = std::stoll(field);
            break;
        }
    }
    return utime + stime;
}

} // namespace

int main(int argc, char** argv) {
    using namespace tavrilux;
    const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
    testdesktop::TestDesktop desktop;
    for (int app = 0; app < 3; ++app) {
        desktop.startClient({"--count", "10", "--class",
                             "app" + std::to_string(app) + ",App" + std::to_string(app),
                             "--geometry", "500x400+" + std::to_string(app * 700) + "+50"});
    }
    linux_platform::PollMainQueue queue;
    auto x11 = x11::X11Desktop::connect(queue, desktop.display().c_str());
    if (!x11) {
        std::fprintf(stderr, "cannot connect to the test desktop\n");
        return 1;
    }
    auto watch = queue.watchReadable(x11->fileDescriptor(), [&] { x11->processEvents(); });
    ScreenFocusTracker tracker(queue, *x11, *x11, *x11, ::getpid());
    SystemEventObserver observer(queue);
    observer.observeApplicationActivated(*x11, [&] { tracker.refresh(false); });
    observer.observeScreenParametersChanged(*x11, [&] { tracker.refresh(true); });
    observer.observeActiveSpaceChanged(*x11, [&] { tracker.refresh(true); });
    int scenes = 0;
    tracker.start([&](const FocusScene&) { ++scenes; });
    // Let the desktop settle before measuring.
    queue.runFor(Seconds{2.0});
    const int settledScenes = scenes;

    const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    const long long before = cpuTicks();
    const double start = queue.now().count();
    queue.runFor(Seconds{seconds});
    const double elapsed = queue.now().count() - start;
    const long long used = cpuTicks() - before;
    tracker.stop();
    observer.stop();

    const double cpuSeconds = static_cast<double>(used) / static_cast<double>(ticksPerSecond);
    std::printf("windows=%zu seconds=%.1f cpu=%.3fs cpu%%=%.3f%% scenesWhileIdle=%d\n",
                x11->captureSnapshot()->windowInfo.size(), elapsed, cpuSeconds,
                100.0 * cpuSeconds / elapsed, scenes - settledScenes);
    return 0;
}
