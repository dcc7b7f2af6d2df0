#pragma once

#include <xcb/xcb.h>

namespace tavrilux::x11 {

// What the shell's own windows need from the X server beyond what the toolkit asks for, on the
// toolkit's connection.
class X11ShellWindows final {
public:
    X11ShellWindows() = delete;

    // Keeps a window that has not been mapped yet out of task bars, pagers and window switchers
    // (window managers read its states when it maps). States already set are kept.
    static void skipTaskbarsAndSwitchers(xcb_connection_t* connection, xcb_window_t window);
};

} // namespace tavrilux::x11
