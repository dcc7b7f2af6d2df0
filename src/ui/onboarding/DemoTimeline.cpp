#include "ui/onboarding/DemoTimeline.h"

#include <cstdint>

namespace tavrilux::ui {

namespace {
// 2001-01-01 00:00:00 UTC in Unix time.
constexpr std::chrono::seconds kReferenceDate{978307200};
} // namespace

DemoTimeline::DemoTimeline(Clock clock) : clock_(std::move(clock)), start_(clock_()) {}

std::chrono::system_clock::duration DemoTimeline::elapsed() const {
    const auto passed = clock_() - start_;
    return passed.count() < 0 ? std::chrono::system_clock::duration::zero() : passed;
}

int DemoTimeline::activeWindow() const {
    const auto ticks = elapsed() / kInterval;
    return activeWindowAt(start_ + ticks * kInterval);
}

std::chrono::milliseconds DemoTimeline::untilNextTick() const {
    const auto intoTick =
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed()) % kInterval.count();
    return kInterval - intoTick;
}

int DemoTimeline::activeWindowAt(std::chrono::system_clock::time_point date) {
    const std::chrono::duration<double> sinceReference = date.time_since_epoch() - kReferenceDate;
    return static_cast<int>(static_cast<std::int64_t>(sinceReference.count() * 0.5) % 3);
}

} // namespace tavrilux::ui
