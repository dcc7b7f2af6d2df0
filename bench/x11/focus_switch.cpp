// One focus switch as the engine sees it, on the test desktop with 8, 50 and 200 managed windows:
// the window manager activates the other of two applications, then the adapter reads its events,
// names the activated application and the focus tracker builds the new scene from a snapshot.
// Only that last part is timed, in wall time and in this thread's CPU time (the server's share
// left out); X requests, round trips and windows read are counted per switch.
#include "DesktopControl.h"
#include "TestDesktop.h"
#include "core/focus/ScreenFocusTracker.h"
#include "platform/linux/PollMainQueue.h"
#include "platform/x11/X11Desktop.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <time.h>
#include <unistd.h>

namespace {

using namespace tavrilux;

struct Desktop {
    testdesktop::TestDesktop desktop;
    testdesktop::DesktopControl control{desktop.display()};
    linux_platform::PollMainQueue queue;
    std::unique_ptr<x11::X11Desktop> x11;
    std::unique_ptr<ScreenFocusTracker> tracker;
    Subscription activations;
    xcb_window_t apps[2] = {};
    int scenes = 0;
    std::size_t windows = 0;

    explicit Desktop(int count) {
        // Two applications on the first monitor, the panel, and fillers of ten windows an
        // application on the second.
        apps[0] = desktop.startClient({"--class", "alpha,Alpha", "--geometry", "500x400+100+100"})
                      .windows[0];
        apps[1] = desktop.startClient({"--class", "beta,Beta", "--geometry", "500x400+400+300"})
                      .windows[0];
        for (int app = 0, left = count - 3; left > 0; ++app, left -= 10) {
            desktop.startClient({"--count", std::to_string(std::min(left, 10)), "--class",
                                 "filler" + std::to_string(app) + ",Filler", "--step", "3",
                                 "--geometry",
                                 "160x120+" + std::to_string(1300 + 14 * app) + "+420"});
        }
        control.waitUntil([&] { return control.stackingList().size() >= std::size_t(count); },
                          std::chrono::seconds(60));
        x11 = x11::X11Desktop::connect(queue, desktop.display().c_str());
        tracker = std::make_unique<ScreenFocusTracker>(queue, *x11, *x11, *x11, ::getpid());
        // As the engine does, without the hop through its queue.
        activations = x11->onApplicationActivated(
            [this](const std::optional<RunningApplication>&) { tracker->refresh(false); });
        tracker->start([this](const FocusScene&) { ++scenes; });
        windows = control.stackingList().size();
    }
};

Desktop& desktopWith(int count) {
    static std::map<int, std::unique_ptr<Desktop>> desktops;
    auto& d = desktops[count];
    if (!d) {
        desktops.clear(); // one desktop at a time
        auto& fresh = desktops[count];
        fresh = std::make_unique<Desktop>(count);
        return *fresh;
    }
    return *d;
}

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The number of the next request on `c`, sent as a request without reply.
std::uint32_t nextRequest(xcb_connection_t* c) {
    return xcb_no_operation(c).sequence + 1;
}

void BM_FocusSwitch(benchmark::State& state) {
    auto& d = desktopWith(static_cast<int>(state.range(0)));
    std::uint64_t roundTrips = 0;
    std::uint64_t requests = 0;
    std::uint64_t windowReads = 0;
    double cpu = 0;
    int switches = 0;
    for (auto _ : state) {
        const xcb_window_t target = d.apps[switches++ % 2];
        d.control.activate(target);
        d.control.waitUntil([&] { return d.control.activeWindow() == target; });
        const int scenes = d.scenes;
        const auto roundTripsBefore = d.x11->roundTrips();
        const auto windowReadsBefore = d.x11->windowReads();
        const auto requestsBefore = nextRequest(d.x11->connection());
        const double cpuStart = threadCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        d.x11->processEvents();
        const auto end = std::chrono::steady_clock::now();
        cpu += threadCpuSeconds() - cpuStart;
        requests += nextRequest(d.x11->connection()) - requestsBefore - 1;
        roundTrips += d.x11->roundTrips() - roundTripsBefore;
        windowReads += d.x11->windowReads() - windowReadsBefore;
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        if (d.scenes == scenes) {
            state.SkipWithError("the switch gave no new scene");
            break;
        }
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["windows"] = static_cast<double>(d.windows);
    state.counters["roundTrips/switch"] = static_cast<double>(roundTrips) / n;
    state.counters["requests/switch"] = static_cast<double>(requests) / n;
    state.counters["windowReads/switch"] = static_cast<double>(windowReads) / n;
    state.counters["cpuMicroseconds/switch"] = cpu * 1e6 / n;
}
BENCHMARK(BM_FocusSwitch)
    ->Arg(8)
    ->Arg(50)
    ->Arg(200)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(100)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
