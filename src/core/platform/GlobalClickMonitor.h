#pragma once

#include <functional>

namespace tavrilux {

// Presses of a mouse button anywhere on the desktop, in other applications' windows too. Wheel
// steps are no presses here: turning the wheel is no click.
//
// Contract:
// - arm() reports every later press with the pointer's position (global pixels, origin at the
//   top left) in a main-queue task, until disarm(); arming again replaces the handler.
// - disarm() stops the reports at once; a press already queued is dropped.
// Main thread only.
class GlobalClickMonitor {
public:
    using Handler = std::function<void(int x, int y)>;

    GlobalClickMonitor() = default;
    virtual ~GlobalClickMonitor() = default;
    GlobalClickMonitor(const GlobalClickMonitor&) = delete;
    GlobalClickMonitor& operator=(const GlobalClickMonitor&) = delete;

    virtual void arm(Handler handler) = 0;
    virtual void disarm() = 0;
    virtual bool isArmed() const = 0;
};

} // namespace tavrilux
