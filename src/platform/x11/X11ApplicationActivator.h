#pragma once

#include "core/platform/ApplicationActivator.h"
#include "core/platform/WindowServer.h"

#include <xcb/xcb.h>

namespace tavrilux::x11 {

// Activates an application by asking the window manager (a _NET_ACTIVE_WINDOW client message)
// to activate its front-most window in the window list. Window managers raise one window, so
// with `allWindows` every window of the application is activated in turn, back to front, and
// the front-most one ends up focused on top of the others.
class X11ApplicationActivator final : public ApplicationActivator {
public:
    X11ApplicationActivator(xcb_connection_t* connection, xcb_window_t root,
                            WindowServer& windowServer);

    void activate(const RunningApplication& application, bool allWindows) override;

private:
    xcb_connection_t* connection_;
    xcb_window_t root_;
    WindowServer& windowServer_;
    xcb_atom_t activeWindow_ = 0;
};

} // namespace tavrilux::x11
