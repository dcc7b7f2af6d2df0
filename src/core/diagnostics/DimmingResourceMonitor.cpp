#include "core/diagnostics/DimmingResourceMonitor.h"

#include "core/diagnostics/DimmingPerfLine.h"

#include <cmath>

namespace tavrilux {

namespace {
constexpr Seconds kMinimumInterval{0.0001};
}

DimmingResourceMonitor::DimmingResourceMonitor(MainQueue& queue, ResourceUsageProbe& probe,
                                               LogSink log)
    : queue_(queue), probe_(probe), log_(std::move(log)),
      self_(std::make_shared<DimmingResourceMonitor*>(this)) {}

DimmingResourceMonitor::~DimmingResourceMonitor() {
    timer_.cancel();
}

void DimmingResourceMonitor::start(Seconds interval, DiagnosticsSample sample) {
    timer_.cancel();
    timer_.reset();
    sample_ = std::move(sample);
    interval_ = interval > Seconds{0.0} ? std::max(interval, kMinimumInterval) : kMinimumInterval;
    schedule(queue_.now() + interval_);
}

void DimmingResourceMonitor::stop() {
    timer_.cancel();
    timer_.reset();
    sample_ = nullptr;
}

void DimmingResourceMonitor::schedule(Seconds due) {
    std::weak_ptr<DimmingResourceMonitor*> weak = self_;
    timer_ = queue_.postAfter(due - queue_.now(), [weak, due] {
        if (auto self = weak.lock()) {
            (*self)->fire(due);
        }
    });
}

void DimmingResourceMonitor::fire(Seconds due) {
    // Keep the firings on the grid start + k * interval; a late firing skips the missed ones.
    Seconds next = due + interval_;
    if (const Seconds now = queue_.now(); next <= now) {
        next = due + interval_ * (std::floor((now - due) / interval_) + 1.0);
    }
    schedule(next);

    std::weak_ptr<DimmingResourceMonitor*> weak = self_;
    queue_.post([weak] {
        auto self = weak.lock();
        if (!self || !(*self)->sample_) {
            return;
        }
        DimmingResourceMonitor& monitor = **self;
        monitor.log(monitor.sample_());
    });
}

void DimmingResourceMonitor::log(const OverlayCounts& counts) {
    const double cpu = probe_.processCpuUsagePercent();
    const auto gpu = probe_.systemGpuUtilizationPercent();
    if (log_) {
        log_(formatDimmingPerfLine(cpu, gpu, counts.overlayCount,
                                   counts.activeTransitionOverlayCount));
    }
}

} // namespace tavrilux
