#pragma once

#include <cstdint>
#include <functional>

namespace tavrilux {

// Presses of a mouse button anywhere on the desktop, in other applications' windows too. Wheel
// steps are no presses here: turning the wheel is no click.
//
// Contract:
// - arm() reports every later press in a main-queue task, until disarm(); arming again replaces
//   the handler.
// - disarm() stops the reports at once; a press already queued is dropped.
// Main thread only.
class GlobalClickMonitor {
public:
    struct Press {
        // The pointer's position (global pixels, origin at the top left).
        int x = 0;
        int y = 0;
        // The window server's time stamp of the press, the one the window that received it was
        // given too.
        std::uint32_t time = 0;
    };
    using Handler = std::function<void(const Press& press)>;

    GlobalClickMonitor() = default;
    virtual ~GlobalClickMonitor() = default;
    GlobalClickMonitor(const GlobalClickMonitor&) = delete;
    GlobalClickMonitor& operator=(const GlobalClickMonitor&) = delete;

    virtual void arm(Handler handler) = 0;
    virtual void disarm() = 0;
    virtual bool isArmed() const = 0;
};

} // namespace tavrilux
