#pragma once

#include <xcb/xcb.h>

#include <optional>
#include <vector>

namespace tavrilux::x11 {

// The part of a monitor that windows may use: what the window manager leaves free less what the
// docks on that monitor keep for themselves.
//
// _NET_WORKAREA is one rectangle for all monitors. openbox takes a dock's strip off that edge of
// the whole screen, so a bar on one monitor shortens the other too; fluxbox and xfwm4 leave out
// docks on a monitor they do not count, but take off their own toolbars (fluxbox's) that no dock
// announces. So where the docks' struts account for the whole strip the window manager took off
// an edge, the struts decide, each only on the monitors it reaches into; what it takes beyond
// them is taken from every monitor at that edge, and a monitor wholly outside its work area keeps
// only its docks' strips.
class X11WorkArea final {
public:
    struct Box {
        int x = 0, y = 0, width = 0, height = 0;
        friend bool operator==(const Box&, const Box&) = default;
    };
    // How far a dock reserves in from one edge of the root, over which strip along that edge
    // (first and last pixel, inclusive).
    struct Reserve {
        int thickness = 0;
        int start = 0;
        int end = 0;
    };
    // A dock's _NET_WM_STRUT_PARTIAL.
    struct Strut {
        Reserve left, right, top, bottom;
    };
    struct Reservations {
        int rootWidth = 0;
        int rootHeight = 0;
        // The current desktop's _NET_WORKAREA, when the window manager publishes one.
        std::optional<Box> workArea;
        // The struts of the docks that show.
        std::vector<Strut> struts;
    };

    X11WorkArea() = delete;

    // Reads them for the screen that holds `root` (three round trips, the first to intern atoms).
    static Reservations read(xcb_connection_t* connection, xcb_window_t root);
    // The work area of `monitor` (root coordinates); the whole monitor when nothing is left of it.
    static Box ofMonitor(const Box& monitor, const Reservations& reservations);
};

} // namespace tavrilux::x11
