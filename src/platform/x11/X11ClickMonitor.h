#pragma once

#include "core/async/MainQueue.h"
#include "core/platform/GlobalClickMonitor.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>
#include <string>

namespace tavrilux::x11 {

// Button presses anywhere on an X server: XInput 2 raw button events selected on the root window
// while armed (raw events reach us whoever holds a grab), each reported with its time stamp and
// the pointer's position read right after it. Nothing is selected while disarmed, so the server
// sends nothing.
//
// Uses a connection of its own; the main loop calls processEvents() whenever fileDescriptor()
// is readable. Main thread only.
class X11ClickMonitor final : public GlobalClickMonitor {
public:
    // None, with the reason in `error`, when the server cannot be reached or lacks XInput 2.2.
    static std::unique_ptr<X11ClickMonitor>
    connect(MainQueue& queue, const char* displayName = nullptr, std::string* error = nullptr);
    ~X11ClickMonitor() override;

    void arm(Handler handler) override;
    void disarm() override;
    bool isArmed() const override { return armed_ != nullptr; }

    int fileDescriptor() const;
    void processEvents();
    bool isConnected() const;

private:
    X11ClickMonitor(MainQueue& queue, xcb_connection_t* connection, xcb_window_t root,
                    std::uint8_t opcode);
    void select(std::uint32_t mask);

    MainQueue& queue_;
    xcb_connection_t* connection_;
    xcb_window_t root_;
    std::uint8_t opcode_;
    Handler handler_;
    // Queued reports hold this; disarming drops it, so they find themselves stale.
    std::shared_ptr<bool> armed_;
};

} // namespace tavrilux::x11
