#include "platform/x11/X11ShellWindows.h"

#include "platform/x11/XcbAtoms.h"
#include "platform/x11/XcbReply.h"

#include <array>
#include <cstdint>
#include <string>

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

std::optional<Rgba> X11ShellWindows::trayForeground(xcb_connection_t* connection,
                                                    int screenNumber) {
    const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber);
    xcb_atom_t tray = XCB_ATOM_NONE;
    xcb_atom_t colors = XCB_ATOM_NONE;
    internAtoms(connection, {{&tray, selection.c_str()}, {&colors, "_NET_SYSTEM_TRAY_COLORS"}});
    auto owner = reply(xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, tray), nullptr));
    if (!owner || owner->owner == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    // Twelve cardinals of 16 bits each: foreground, error, warning and success, red green blue.
    auto property = reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, owner->owner, colors, XCB_ATOM_CARDINAL, 0, 12),
        nullptr));
    if (!property || property->format != 32 || property->value_len < 12) {
        return std::nullopt;
    }
    const auto* value = static_cast<const std::uint32_t*>(xcb_get_property_value(property.get()));
    const auto channel = [&](int i) { return static_cast<double>(value[i] & 0xffff) / 0xffff; };
    return Rgba{channel(0), channel(1), channel(2)};
}

} // namespace tavrilux::x11
