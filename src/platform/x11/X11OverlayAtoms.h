#pragma once

#include <xcb/xcb.h>

#include <array>

namespace tavrilux::x11 {

// The atoms the overlay windows and their factory use, interned in one round trip.
struct X11OverlayAtoms final {
    xcb_atom_t opacity = 0;
    xcb_atom_t compositorSelection = 0;
    xcb_atom_t blurRegion = 0;
    xcb_atom_t supported = 0;
    xcb_atom_t wmPid = 0;
    xcb_atom_t wmName = 0;
    xcb_atom_t utf8 = 0;
    xcb_atom_t windowType = 0;
    xcb_atom_t windowTypeNormal = 0;
    xcb_atom_t supportingCheck = 0;
    xcb_atom_t motifHints = 0;
    xcb_atom_t wmState = 0;
    xcb_atom_t wmDesktop = 0;
    xcb_atom_t userTime = 0;
    xcb_atom_t skipCloseAnimation = 0;
    xcb_atom_t restackWindow = 0;
    xcb_atom_t clientListStacking = 0;
    xcb_atom_t edid = 0;
    std::array<xcb_atom_t, 4> managedStates{};

    // `screenNumber` names the compositor selection (_NET_WM_CM_S<n>).
    static X11OverlayAtoms intern(xcb_connection_t* connection, int screenNumber);
};

} // namespace tavrilux::x11
