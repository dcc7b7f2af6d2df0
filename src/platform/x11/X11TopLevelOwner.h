#pragma once

#include "core/focus/Identifiers.h"

#include <xcb/xcb.h>

#include <functional>
#include <optional>

namespace tavrilux::x11 {

// The application whose window a top-level window (a window manager's frame) holds.
struct X11TopLevelOwner final {
    ProcessID pid = 0;
    xcb_window_t client = 0;
};

using X11TopLevelOwnerLookup = std::function<std::optional<X11TopLevelOwner>(xcb_window_t)>;

} // namespace tavrilux::x11
