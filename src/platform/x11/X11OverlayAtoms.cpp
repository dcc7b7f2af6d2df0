#include "platform/x11/X11OverlayAtoms.h"

#include "platform/x11/XcbAtoms.h"

#include <string>

namespace tavrilux::x11 {

X11OverlayAtoms X11OverlayAtoms::intern(xcb_connection_t* connection, int screenNumber) {
    X11OverlayAtoms a;
    const std::string compositorSelection = "_NET_WM_CM_S" + std::to_string(screenNumber);
    auto& states = a.managedStates;
    internAtoms(connection, {{&a.opacity, "_NET_WM_WINDOW_OPACITY"},
                             {&a.compositorSelection, compositorSelection.c_str()},
                             {&a.blurRegion, "_KDE_NET_WM_BLUR_BEHIND_REGION"},
                             {&a.supported, "_NET_SUPPORTED"},
                             {&a.wmPid, "_NET_WM_PID"},
                             {&a.wmName, "_NET_WM_NAME"},
                             {&a.utf8, "UTF8_STRING"},
                             {&a.windowType, "_NET_WM_WINDOW_TYPE"},
                             {&a.windowTypeNormal, "_NET_WM_WINDOW_TYPE_NORMAL"},
                             {&a.supportingCheck, "_NET_SUPPORTING_WM_CHECK"},
                             {&a.motifHints, "_MOTIF_WM_HINTS"},
                             {&a.wmState, "_NET_WM_STATE"},
                             {&a.wmDesktop, "_NET_WM_DESKTOP"},
                             {&a.userTime, "_NET_WM_USER_TIME"},
                             {&a.skipCloseAnimation, "_KDE_NET_WM_SKIP_CLOSE_ANIMATION"},
                             {&a.restackWindow, "_NET_RESTACK_WINDOW"},
                             {&a.clientListStacking, "_NET_CLIENT_LIST_STACKING"},
                             {&a.edid, "EDID"},
                             {&states[0], "_NET_WM_STATE_SKIP_TASKBAR"},
                             {&states[1], "_NET_WM_STATE_SKIP_PAGER"},
                             {&states[2], "_KDE_NET_WM_STATE_SKIP_SWITCHER"},
                             {&states[3], "_NET_WM_STATE_STICKY"}});
    return a;
}

} // namespace tavrilux::x11
