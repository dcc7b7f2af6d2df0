#pragma once

#include "core/async/MainQueue.h"
#include "core/diagnostics/ResourceUsageProbe.h"
#include "core/diagnostics/StandardErrorLog.h"

#include <functional>
#include <memory>

namespace tavrilux {

// What the overlay pipeline reports for the diagnostics line.
struct OverlayCounts final {
    int overlayCount = 0;
    int activeTransitionOverlayCount = 0;
};

// Supplies the counts at each firing; the application hands in one that reads the coordinator
// (and gives 0 overlays once the coordinator is gone). Called on the main thread.
using DiagnosticsSample = std::function<OverlayCounts()>;

// Writes the "[DimmingPerf]" line at a fixed interval with the process's CPU use, the GPU's busy
// percentage and the overlay counts. Runs until stop(), which the application calls as it shuts
// down; a firing after the monitor is gone does nothing. Main thread only.
class DimmingResourceMonitor final {
public:
    DimmingResourceMonitor(MainQueue& queue, ResourceUsageProbe& probe,
                           LogSink log = writeStandardErrorLine);
    ~DimmingResourceMonitor();
    DimmingResourceMonitor(const DimmingResourceMonitor&) = delete;
    DimmingResourceMonitor& operator=(const DimmingResourceMonitor&) = delete;

    // Replaces any running timer and the sample, then fires every `interval` (an interval of zero
    // or less counts as 0.1 ms), the first time one interval after the call. Each firing hands a
    // task to the queue that takes the sample and writes the line.
    void start(Seconds interval, DiagnosticsSample sample);
    // Cancels the timer and drops the sample: no line is written afterwards, not even one whose
    // task is already waiting in the queue. start() may run it again.
    void stop();
    bool isRunning() const { return timer_.isValid() && !timer_.isCancelled(); }

private:
    void schedule(Seconds due);
    void fire(Seconds due);
    void log(const OverlayCounts& counts);

    MainQueue& queue_;
    ResourceUsageProbe& probe_;
    LogSink log_;
    DiagnosticsSample sample_;
    Seconds interval_{0.0};
    TaskHandle timer_;
    // Tasks hold this weakly: once the monitor is gone they find it expired and do nothing.
    std::shared_ptr<DimmingResourceMonitor*> self_;
};

} // namespace tavrilux
