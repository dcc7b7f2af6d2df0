#include "platform/x11/X11DesktopAtoms.h"

#include "platform/x11/XcbAtoms.h"

namespace tavrilux::x11 {

X11DesktopAtoms X11DesktopAtoms::intern(xcb_connection_t* connection) {
    X11DesktopAtoms a{};
    internAtoms(connection, {{&a.clientListStacking, "_NET_CLIENT_LIST_STACKING"},
                             {&a.activeWindow, "_NET_ACTIVE_WINDOW"},
                             {&a.currentDesktop, "_NET_CURRENT_DESKTOP"},
                             {&a.showingDesktop, "_NET_SHOWING_DESKTOP"},
                             {&a.wmPid, "_NET_WM_PID"},
                             {&a.wmWindowType, "_NET_WM_WINDOW_TYPE"},
                             {&a.wmState, "_NET_WM_STATE"},
                             {&a.frameExtents, "_NET_FRAME_EXTENTS"},
                             {&a.icccmWmState, "WM_STATE"},
                             {&a.gtkApplicationId, "_GTK_APPLICATION_ID"},
                             {&a.utf8String, "UTF8_STRING"},
                             {&a.edid, "EDID"},
                             {&a.stateHidden, "_NET_WM_STATE_HIDDEN"},
                             {&a.stateSkipTaskbar, "_NET_WM_STATE_SKIP_TASKBAR"},
                             {&a.stateAbove, "_NET_WM_STATE_ABOVE"},
                             {&a.typeDesktop, "_NET_WM_WINDOW_TYPE_DESKTOP"},
                             {&a.typeDock, "_NET_WM_WINDOW_TYPE_DOCK"},
                             {&a.typeToolbar, "_NET_WM_WINDOW_TYPE_TOOLBAR"},
                             {&a.typeMenu, "_NET_WM_WINDOW_TYPE_MENU"},
                             {&a.typeUtility, "_NET_WM_WINDOW_TYPE_UTILITY"},
                             {&a.typeSplash, "_NET_WM_WINDOW_TYPE_SPLASH"},
                             {&a.typeDialog, "_NET_WM_WINDOW_TYPE_DIALOG"},
                             {&a.typeDropdownMenu, "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU"},
                             {&a.typePopupMenu, "_NET_WM_WINDOW_TYPE_POPUP_MENU"},
                             {&a.typeTooltip, "_NET_WM_WINDOW_TYPE_TOOLTIP"},
                             {&a.typeNotification, "_NET_WM_WINDOW_TYPE_NOTIFICATION"},
                             {&a.typeCombo, "_NET_WM_WINDOW_TYPE_COMBO"},
                             {&a.typeDnd, "_NET_WM_WINDOW_TYPE_DND"},
                             {&a.typeNormal, "_NET_WM_WINDOW_TYPE_NORMAL"}});
    return a;
}

} // namespace tavrilux::x11
