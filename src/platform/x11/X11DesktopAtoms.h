#pragma once

#include <xcb/xcb.h>

namespace tavrilux::x11 {

// The atoms the window list, the screens and the workspace read, interned in one round trip.
struct X11DesktopAtoms final {
    xcb_atom_t clientListStacking, activeWindow, currentDesktop, showingDesktop, wmPid,
        wmWindowType, wmState, frameExtents, icccmWmState, gtkApplicationId, utf8String, edid,
        stateHidden, stateSkipTaskbar, stateAbove, typeDesktop, typeDock, typeToolbar, typeMenu,
        typeUtility, typeSplash, typeDialog, typeDropdownMenu, typePopupMenu, typeTooltip,
        typeNotification, typeCombo, typeDnd, typeNormal;

    static X11DesktopAtoms intern(xcb_connection_t* connection);
};

} // namespace tavrilux::x11
