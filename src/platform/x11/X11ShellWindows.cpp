#include "platform/x11/X11ShellWindows.h"

#include "platform/x11/XcbAtoms.h"

#include <array>
#include <cstdint>

namespace tavrilux::x11 {

void X11ShellWindows::skipTaskbarsAndSwitchers(xcb_connection_t* connection, xcb_window_t window) {
    xcb_atom_t state = XCB_ATOM_NONE;
    std::array<xcb_atom_t, 3> skip{};
    internAtoms(connection, {{&state, "_NET_WM_STATE"},
                             {&skip[0], "_NET_WM_STATE_SKIP_TASKBAR"},
                             {&skip[1], "_NET_WM_STATE_SKIP_PAGER"},
                             {&skip[2], "_KDE_NET_WM_STATE_SKIP_SWITCHER"}});
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, window, state, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(skip.size()), skip.data());
    xcb_flush(connection);
}

} // namespace tavrilux::x11
