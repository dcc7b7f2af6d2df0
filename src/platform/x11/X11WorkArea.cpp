#include "platform/x11/X11WorkArea.h"

#include "platform/x11/XcbAtoms.h"
#include "platform/x11/XcbProperty.h"
#include "platform/x11/XcbReply.h"

#include <algorithm>
#include <cstdint>

namespace tavrilux::x11 {

namespace {

struct Edges {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom: the first pixel beyond

    bool isEmpty() const { return right <= left || bottom <= top; }
};

Edges edgesOf(const X11WorkArea::Box& box) {
    return {box.x, box.y, box.x + box.width, box.y + box.height};
}

bool overlap(const Edges& a, const Edges& b) {
    return std::max(a.left, b.left) < std::min(a.right, b.right) &&
           std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

xcb_get_property_cookie_t cardinals(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property,
                                    std::uint32_t count) {
    return xcb_get_property(c, 0, window, property, XCB_ATOM_CARDINAL, 0, count);
}

} // namespace

X11WorkArea::Reservations X11WorkArea::read(xcb_connection_t* connection, xcb_window_t root) {
    xcb_atom_t workArea = XCB_ATOM_NONE;
    xcb_atom_t currentDesktop = XCB_ATOM_NONE;
    xcb_atom_t clientList = XCB_ATOM_NONE;
    xcb_atom_t strutPartial = XCB_ATOM_NONE;
    xcb_atom_t strut = XCB_ATOM_NONE;
    internAtoms(connection, {{&workArea, "_NET_WORKAREA"},
                             {&currentDesktop, "_NET_CURRENT_DESKTOP"},
                             {&clientList, "_NET_CLIENT_LIST"},
                             {&strutPartial, "_NET_WM_STRUT_PARTIAL"},
                             {&strut, "_NET_WM_STRUT"}});
    const auto geometryCookie = xcb_get_geometry(connection, root);
    const auto areaCookie = cardinals(connection, root, workArea, 4 * 64);
    const auto desktopCookie = cardinals(connection, root, currentDesktop, 1);
    const auto clientsCookie =
        xcb_get_property(connection, 0, root, clientList, XCB_ATOM_WINDOW, 0, 1 << 16);

    Reservations result;
    if (auto geometry = reply(xcb_get_geometry_reply(connection, geometryCookie, nullptr))) {
        result.rootWidth = geometry->width;
        result.rootHeight = geometry->height;
    }
    const auto areas = propertyValues(
        reply(xcb_get_property_reply(connection, areaCookie, nullptr)).get(), XCB_ATOM_CARDINAL);
    const auto desktop = propertyValues(
        reply(xcb_get_property_reply(connection, desktopCookie, nullptr)).get(), XCB_ATOM_CARDINAL);
    // Four numbers a desktop; the first desktop's when the current one is unknown.
    const std::size_t at = desktop.empty() ? 0 : 4 * static_cast<std::size_t>(desktop.front());
    if (at + 4 <= areas.size()) {
        result.workArea = Box{static_cast<int>(areas[at]), static_cast<int>(areas[at + 1]),
                              static_cast<int>(areas[at + 2]), static_cast<int>(areas[at + 3])};
    }
    const auto clients = propertyValues(
        reply(xcb_get_property_reply(connection, clientsCookie, nullptr)).get(), XCB_ATOM_WINDOW);

    struct Asked {
        xcb_get_property_cookie_t partial, whole;
        xcb_get_window_attributes_cookie_t attributes;
    };
    std::vector<Asked> asked;
    asked.reserve(clients.size());
    for (const xcb_window_t client : clients) {
        asked.push_back({cardinals(connection, client, strutPartial, 12),
                         cardinals(connection, client, strut, 4),
                         xcb_get_window_attributes(connection, client)});
    }
    for (const Asked& a : asked) {
        const auto partial = propertyValues(
            reply(xcb_get_property_reply(connection, a.partial, nullptr)).get(), XCB_ATOM_CARDINAL);
        const auto whole = propertyValues(
            reply(xcb_get_property_reply(connection, a.whole, nullptr)).get(), XCB_ATOM_CARDINAL);
        const auto attributes =
            reply(xcb_get_window_attributes_reply(connection, a.attributes, nullptr));
        // A dock on another desktop, or hidden, keeps nothing free.
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) {
            continue;
        }
        const auto value = [](std::uint32_t v) { return static_cast<int>(v); };
        Strut s;
        if (partial.size() >= 12) {
            s.left = {value(partial[0]), value(partial[4]), value(partial[5])};
            s.right = {value(partial[1]), value(partial[6]), value(partial[7])};
            s.top = {value(partial[2]), value(partial[8]), value(partial[9])};
            s.bottom = {value(partial[3]), value(partial[10]), value(partial[11])};
        } else if (whole.size() >= 4) {
            // The older property: each strip runs the whole edge.
            s.left = {value(whole[0]), 0, result.rootHeight - 1};
            s.right = {value(whole[1]), 0, result.rootHeight - 1};
            s.top = {value(whole[2]), 0, result.rootWidth - 1};
            s.bottom = {value(whole[3]), 0, result.rootWidth - 1};
        } else {
            continue;
        }
        result.struts.push_back(s);
    }
    return result;
}

X11WorkArea::Box X11WorkArea::ofMonitor(const Box& monitor, const Reservations& r) {
    const int width = r.rootWidth;
    const int height = r.rootHeight;
    // What the window manager keeps free, less the strips the struts account for.
    Edges free{0, 0, width, height};
    if (r.workArea) {
        int left = 0, top = 0, right = 0, bottom = 0;
        for (const Strut& s : r.struts) {
            left = std::max(left, s.left.thickness);
            top = std::max(top, s.top.thickness);
            right = std::max(right, s.right.thickness);
            bottom = std::max(bottom, s.bottom.thickness);
        }
        const Edges desktop = edgesOf(*r.workArea);
        if (desktop.left > left) {
            free.left = desktop.left;
        }
        if (desktop.top > top) {
            free.top = desktop.top;
        }
        if (width - desktop.right > right) {
            free.right = desktop.right;
        }
        if (height - desktop.bottom > bottom) {
            free.bottom = desktop.bottom;
        }
    }
    const Edges whole = edgesOf(monitor);
    Edges area{std::max(whole.left, free.left), std::max(whole.top, free.top),
               std::min(whole.right, free.right), std::min(whole.bottom, free.bottom)};
    if (area.isEmpty()) {
        area = whole; // a monitor the window manager does not count (xfwm4 sees only some)
    }
    // Each strip shortens the monitors it reaches into, from its own edge.
    for (const Strut& s : r.struts) {
        const auto reaches = [&](const Edges& strip) { return overlap(strip, whole); };
        if (s.left.thickness > 0 && reaches({0, s.left.start, s.left.thickness, s.left.end + 1})) {
            area.left = std::max(area.left, s.left.thickness);
        }
        if (s.right.thickness > 0 &&
            reaches({width - s.right.thickness, s.right.start, width, s.right.end + 1})) {
            area.right = std::min(area.right, width - s.right.thickness);
        }
        if (s.top.thickness > 0 && reaches({s.top.start, 0, s.top.end + 1, s.top.thickness})) {
            area.top = std::max(area.top, s.top.thickness);
        }
        if (s.bottom.thickness > 0 &&
            reaches({s.bottom.start, height - s.bottom.thickness, s.bottom.end + 1, height})) {
            area.bottom = std::min(area.bottom, height - s.bottom.thickness);
        }
    }
    if (area.isEmpty()) {
        return monitor;
    }
    return {area.left, area.top, area.right - area.left, area.bottom - area.top};
}

} // namespace tavrilux::x11
