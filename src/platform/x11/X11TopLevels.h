#pragma once

#include "platform/x11/X11TopLevelOwner.h"

#include <xcb/xcb.h>

#include <optional>

namespace tavrilux::x11 {

// What the window list knows of the desktop's top-level windows (the window manager's frames),
// for the overlays placed among them.
//
// Contract:
// - Answers come from what was last read and the events since; they never wait for the server.
// - ownerOfTopLevel() is the application of a listed window that `frame` holds; none when it
//   holds none or nothing is known of it.
// - topLevelOf() is the top-level window that holds the listed `client`; none while it is not
//   known (a window not read yet, or one just put into another frame).
// - Main thread only.
class X11TopLevels {
public:
    X11TopLevels() = default;
    virtual ~X11TopLevels() = default;
    X11TopLevels(const X11TopLevels&) = delete;
    X11TopLevels& operator=(const X11TopLevels&) = delete;

    virtual std::optional<X11TopLevelOwner> ownerOfTopLevel(xcb_window_t frame) const = 0;
    virtual std::optional<xcb_window_t> topLevelOf(xcb_window_t client) const = 0;
};

} // namespace tavrilux::x11
