// One X11 window-list snapshot of 50 windows on the test desktop: read afresh (every property
// request sent before any reply is read) and from the event-fed cache. Reports the round-trip
// waits per refresh.
#include "TestDesktop.h"
#include "platform/linux/PollMainQueue.h"
#include "platform/x11/X11Desktop.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

using namespace tavrilux;

struct Setup {
    testdesktop::TestDesktop desktop;
    linux_platform::PollMainQueue queue;
    std::unique_ptr<x11::X11Desktop> x11;
    std::size_t windows = 0;

    Setup() {
        // 50 windows in all: 49 of five applications plus the desktop's panel.
        for (int app = 0; app < 5; ++app) {
            desktop.startClient({"--count", app == 4 ? "9" : "10", "--class",
                                 "app" + std::to_string(app) + ",App" + std::to_string(app),
                                 "--geometry", "400x300+" + std::to_string(app * 450) + "+40"});
        }
        x11 = x11::X11Desktop::connect(queue, desktop.display().c_str());
        // Wait until the window manager has taken every window in.
        for (int i = 0; i < 400 && windows < 50; ++i) {
            queue.runFor(Seconds{0.01});
            x11->processEvents();
            windows = x11->captureSnapshot()->windowInfo.size();
        }
    }
};

Setup& setup() {
    static Setup instance;
    return instance;
}

void BM_SnapshotRereadingEverything(benchmark::State& state) {
    auto& s = setup();
    const auto before = s.x11->roundTrips();
    for (auto _ : state) {
        s.x11->invalidateCache();
        auto snapshot = s.x11->captureSnapshot();
        benchmark::DoNotOptimize(snapshot);
    }
    state.counters["windows"] = static_cast<double>(s.windows);
    state.counters["roundTrips/refresh"] =
        static_cast<double>(s.x11->roundTrips() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SnapshotRereadingEverything)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_SnapshotFromEventFedCache(benchmark::State& state) {
    auto& s = setup();
    s.x11->captureSnapshot();
    const auto before = s.x11->roundTrips();
    for (auto _ : state) {
        auto snapshot = s.x11->captureSnapshot();
        benchmark::DoNotOptimize(snapshot);
    }
    state.counters["windows"] = static_cast<double>(s.windows);
    state.counters["roundTrips/refresh"] =
        static_cast<double>(s.x11->roundTrips() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SnapshotFromEventFedCache)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
