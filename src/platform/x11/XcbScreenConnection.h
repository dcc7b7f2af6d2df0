#pragma once

#include <xcb/xcb.h>

#include <string>

namespace tavrilux::x11 {

// A connection of its own to the X server, and the root of the screen the display names.
struct XcbScreenConnection {
    xcb_connection_t* connection = nullptr;
    int screenNumber = 0;
    xcb_window_t root = XCB_WINDOW_NONE;
};

// Connects to `displayName` (the environment's DISPLAY when null). On failure the connection is
// null and `error`, when given, says why.
XcbScreenConnection connectToScreen(const char* displayName, std::string* error);

} // namespace tavrilux::x11
