#pragma once

#include "core/focus/Identifiers.h"

#include <xcb/xcb.h>

namespace tavrilux::x11 {

// The application whose window a top-level window (a window manager's frame) holds.
struct X11TopLevelOwner final {
    ProcessID pid = 0;
    xcb_window_t client = 0;
};

} // namespace tavrilux::x11
