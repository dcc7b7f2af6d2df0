#pragma once

#include <chrono>
#include <functional>

namespace tavrilux::ui {

// The how-it-works demonstration's schedule: a tick every 2 s from the moment it is made, each
// tick naming the bright window from its own date, so consecutive ticks step through Notes (0),
// Mail (1) and Browser (2) in turn; where the cycle starts depends on the clock. No Qt, no timer:
// the owner asks when the next tick is due.
class DemoTimeline final {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;
    static constexpr std::chrono::milliseconds kInterval{2000};

    // Starts at the clock's present.
    explicit DemoTimeline(Clock clock);

    // The bright window of the tick in effect now.
    int activeWindow() const;
    // Time left until the next tick (more than zero, at most the interval).
    std::chrono::milliseconds untilNextTick() const;

    // The bright window a tick at `date` names: its seconds since 2001-01-01 00:00:00 UTC, halved,
    // truncated towards zero, modulo 3 (negative before that date, which dims all three).
    static int activeWindowAt(std::chrono::system_clock::time_point date);

private:
    // How far the present lies past the start, never negative (a clock set back holds still).
    std::chrono::system_clock::duration elapsed() const;

    Clock clock_;
    std::chrono::system_clock::time_point start_;
};

} // namespace tavrilux::ui
