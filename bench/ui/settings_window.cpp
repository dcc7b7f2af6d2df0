// Opening the settings window on a real X server (run it on the test desktop:
// bench/settings_window_figures.sh): from the request to the first paint of its content, the
// first time (the window and its tab are built) and later times (the hidden window shows
// again). Each repetition of the first opening builds a new window manager. As in the
// application, the tray glyph has been drawn before (which loads the fonts); the very first
// opening, when the process-wide caches of widgets and text are still cold, is reported on its
// own.
#include "app/SettingsWindow.h"
#include "app/SettingsWindowManager.h"
#include "app/StatusGlyph.h"
#include "ui/SettingsHarness.h"
#include "ui/settings/ContentView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace tavrilux {
namespace {

// Set once the watched widget has been painted (and its window flushed, which follows at once).
class PaintWatch final : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted = true;
        }
        return false;
    }
};

ui::testing::SettingsModel& model() {
    static auto* shared = new ui::testing::SettingsModel;
    return *shared;
}

// Shows the window and waits for its first paint; the time in seconds.
double open(SettingsWindowManager& manager, PaintWatch& watch) {
    QElapsedTimer clock;
    clock.start();
    manager.showSettingsWindow(std::nullopt);
    if (manager.contentView()->property("watched").isNull()) {
        manager.contentView()->installEventFilter(&watch);
        manager.contentView()->setProperty("watched", true);
    }
    while (!watch.painted) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

// Closes the window and lets the window manager and the compositor catch up, idle.
void settleAfterClose(SettingsWindowManager& manager) {
    manager.settingsWindow()->close();
    QEventLoop idle;
    QTimer::singleShot(50, &idle, &QEventLoop::quit);
    idle.exec();
}

void BM_FirstOpening(benchmark::State& state) {
    static bool cold = true;
    for (auto _ : state) {
        auto manager = std::make_unique<SettingsWindowManager>(model().context, model().services);
        PaintWatch watch;
        const double seconds = open(*manager, watch);
        state.SetIterationTime(seconds);
        if (cold) {
            std::printf("first opening in a fresh process: %.1f ms\n", seconds * 1e3);
            cold = false;
        }
        settleAfterClose(*manager);
    }
}
BENCHMARK(BM_FirstOpening)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(25)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

void BM_LaterOpening(benchmark::State& state) {
    SettingsWindowManager manager(model().context, model().services);
    PaintWatch watch;
    open(manager, watch);
    for (auto _ : state) {
        settleAfterClose(manager);
        watch.painted = false;
        state.SetIterationTime(open(manager, watch));
    }
    settleAfterClose(manager);
}
BENCHMARK(BM_LaterOpening)
    ->UseManualTime()
    ->Iterations(25)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavrilux

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // What the shell has done before any window can be asked for.
    (void)tavrilux::StatusGlyph::image(true, 24, Qt::white);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
