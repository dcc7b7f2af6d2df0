#pragma once

#include "platform/x11/X11DesktopAtoms.h"
#include "platform/x11/X11WindowList.h"

#include <xcb/xcb.h>

namespace tavrilux::x11 {

// What a listed window's properties say it is: its layer and kind (_NET_WM_WINDOW_TYPE,
// _NET_WM_STATE), its frame's extents, its class, its GTK application and, for the fallback list,
// whether it is managed (WM_STATE). A property that is missing or mistyped counts as unset.
class X11WindowProperties final {
public:
    // Each null when it could not be read.
    struct Replies {
        const xcb_get_property_reply_t* type;
        const xcb_get_property_reply_t* state;
        const xcb_get_property_reply_t* extents;
        const xcb_get_property_reply_t* wmClass;
        const xcb_get_property_reply_t* gtkApplicationId;
        const xcb_get_property_reply_t* wmState;
    };

    explicit X11WindowProperties(const X11DesktopAtoms& atoms);

    void apply(const Replies& replies, X11WindowList::Client& client) const;

private:
    const X11DesktopAtoms& atoms_;
};

} // namespace tavrilux::x11
