// Building a focus scene from one snapshot: 200 windows of 40 applications on 4 displays, the
// application lookup answered by the fake desktop; /1: with an active window deep in the stacking.
#include "core/focus/FocusDetection.h"
#include "fakes/FakeDesktop.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tavrilux;

void BM_BuildFocusScene(benchmark::State& state) {
    fakes::FakeDesktop desktop;
    for (int d = 0; d < 4; ++d) {
        desktop.addScreen(static_cast<DisplayID>(d + 1), Rect{d * 1920.0, 0, 1920, 1080},
                          "UUID-" + std::to_string(d));
    }
    constexpr int kApplications = 40;
    for (int a = 0; a < kApplications; ++a) {
        // Every fifth application is an accessory (panels, tray helpers).
        desktop.addProcess(1000 + a, "org.example.App" + std::to_string(a),
                           a % 5 == 4 ? ActivationPolicy::accessory : ActivationPolicy::regular);
    }
    for (int w = 0; w < 200; ++w) {
        const int app = (w * 7) % kApplications;
        const double x = (w * 97) % 7000;
        const double y = (w * 53) % 700;
        desktop.addWindow(100 + w, 1000 + app, {x, y, 300.0 + (w % 5) * 100, 200.0 + (w % 3) * 80},
                          w % 17 == 0 ? 20 : 0);
    }
    if (state.range(0) == 1) {
        desktop.setActiveWindow(100 + 150);
    }
    const auto snapshot = *desktop.captureSnapshot();
    const auto screens = screenGeometries(desktop.screens(), desktop);
    const auto lookup = windowApplicationLookup(desktop);
    const auto bundleOf = [&](ProcessID pid) -> std::optional<std::string> {
        auto app = desktop.runningApplication(pid);
        return app ? app->bundleIdentifier : std::nullopt;
    };
    for (auto _ : state) {
        auto scene = FocusDetection::buildScene(snapshot, screens, 1, lookup, bundleOf);
        benchmark::DoNotOptimize(scene);
    }
    state.counters["targets"] = static_cast<double>(
        FocusDetection::buildScene(snapshot, screens, 1, lookup, bundleOf).targets.size());
}
BENCHMARK(BM_BuildFocusScene)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
