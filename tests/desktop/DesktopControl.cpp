#include "DesktopControl.h"
#include "platform/x11/XcbReply.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

namespace tavrilux::testdesktop {

using x11::Reply;

DesktopControl::DesktopControl(const std::string& display)
    : connection_(xcb_connect(display.c_str(), nullptr)) {
    if (xcb_connection_has_error(connection_) != 0) {
        xcb_disconnect(connection_);
        throw std::runtime_error("desktop control: cannot connect to " + display);
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
}

DesktopControl::~DesktopControl() {
    xcb_disconnect(connection_);
}

void DesktopControl::sync() {
    Reply<xcb_get_input_focus_reply_t>(
        xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

xcb_atom_t DesktopControl::atom(const std::string& name) {
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection_,
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.c_str()),
        nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::vector<xcb_window_t> DesktopControl::stackingList() {
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, root_, atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW,
                         0, 4096),
        nullptr));
    if (!reply || reply->format != 32) {
        return {};
    }
    const auto* data = static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    return {data, data + xcb_get_property_value_length(reply.get()) / 4};
}

std::optional<xcb_window_t> DesktopControl::activeWindow() {
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, root_, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) {
        return std::nullopt;
    }
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
}

bool DesktopControl::isManaged(xcb_window_t window) {
    const auto list = stackingList();
    if (std::find(list.begin(), list.end(), window) == list.end()) {
        return false;
    }
    return isViewable(window);
}

bool DesktopControl::waitForManaged(const std::vector<xcb_window_t>& windows,
                                    std::chrono::milliseconds timeout) {
    return waitUntil(
        [&] {
            return std::all_of(windows.begin(), windows.end(),
                               [&](auto w) { return isManaged(w); });
        },
        timeout);
}

void DesktopControl::sendRootMessage(xcb_window_t window, xcb_atom_t type, std::uint32_t d0,
                                     std::uint32_t d1, std::uint32_t d2, std::uint32_t d3,
                                     std::uint32_t d4) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    event.data.data32[0] = d0;
    event.data.data32[1] = d1;
    event.data.data32[2] = d2;
    event.data.data32[3] = d3;
    event.data.data32[4] = d4;
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    sync();
}

void DesktopControl::activate(xcb_window_t window) {
    // Source 2: a pager, which window managers obey without focus-stealing checks.
    sendRootMessage(window, atom("_NET_ACTIVE_WINDOW"), 2, XCB_CURRENT_TIME, 0);
}

void DesktopControl::raise(xcb_window_t window) {
    // A configure request on the client, as XRaiseWindow sends it, and the same from a pager,
    // which KWin obeys where it refuses a program's and openbox ignores.
    const std::uint32_t above[] = {XCB_STACK_MODE_ABOVE};
    xcb_configure_window(connection_, window, XCB_CONFIG_WINDOW_STACK_MODE, above);
    sendRootMessage(window, atom("_NET_RESTACK_WINDOW"), 2, XCB_WINDOW_NONE, XCB_STACK_MODE_ABOVE);
}

void DesktopControl::lower(xcb_window_t window) {
    const std::uint32_t below[] = {XCB_STACK_MODE_BELOW};
    xcb_configure_window(connection_, window, XCB_CONFIG_WINDOW_STACK_MODE, below);
    sync();
}

void DesktopControl::focus(xcb_window_t window) {
    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
    sync();
}

void DesktopControl::moveFrame(xcb_window_t window, int x, int y) {
    // A configure request on the client: with north-west gravity the window manager puts the
    // frame's top-left corner there.
    const std::uint32_t values[] = {static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)};
    xcb_configure_window(connection_, window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
    sync();
}

void DesktopControl::requestClose(xcb_window_t window) {
    sendRootMessage(window, atom("_NET_CLOSE_WINDOW"), XCB_CURRENT_TIME, 2);
}

void DesktopControl::setShowingDesktop(bool shown) {
    sendRootMessage(root_, atom("_NET_SHOWING_DESKTOP"), shown ? 1 : 0);
}

void DesktopControl::setState(xcb_window_t window, const std::string& state, bool on) {
    sendRootMessage(window, atom("_NET_WM_STATE"), on ? 1 : 0, atom("_NET_WM_STATE_" + state), 0,
                    2);
}

void DesktopControl::moveToDesktop(xcb_window_t window, std::uint32_t desktop) {
    sendRootMessage(window, atom("_NET_WM_DESKTOP"), desktop, 2);
}

void DesktopControl::switchDesktop(int index) {
    sendRootMessage(root_, atom("_NET_CURRENT_DESKTOP"), static_cast<std::uint32_t>(index));
}

void DesktopControl::deleteRootProperty(const std::string& name) {
    xcb_delete_property(connection_, root_, atom(name));
    sync();
}

void DesktopControl::destroy(xcb_window_t window) {
    xcb_destroy_window(connection_, window);
    xcb_flush(connection_);
}

std::optional<xcb_window_t> DesktopControl::topLevelOf(xcb_window_t window) {
    xcb_window_t current = window;
    for (int depth = 0; depth < 16; ++depth) {
        Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection_, xcb_query_tree(connection_, current), nullptr));
        if (!tree) {
            return std::nullopt;
        }
        if (tree->parent == root_ || tree->parent == XCB_WINDOW_NONE) {
            return current;
        }
        current = tree->parent;
    }
    return std::nullopt;
}

std::vector<xcb_window_t> DesktopControl::children(xcb_window_t parent) {
    Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, parent), nullptr));
    if (!tree) {
        return {};
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    return {children, children + xcb_query_tree_children_length(tree.get())};
}

bool DesktopControl::isViewable(xcb_window_t window) {
    Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::optional<DesktopControl::Geometry> DesktopControl::frameGeometry(xcb_window_t window) {
    const auto frame = topLevelOf(window);
    if (!frame) {
        return std::nullopt;
    }
    Reply<xcb_get_geometry_reply_t> g(
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, *frame), nullptr));
    if (!g) {
        return std::nullopt;
    }
    return Geometry{g->x, g->y, g->width + 2 * g->border_width, g->height + 2 * g->border_width};
}

std::string DesktopControl::wmClass(xcb_window_t window) {
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64),
        nullptr));
    if (!reply) {
        return {};
    }
    return {static_cast<const char*>(xcb_get_property_value(reply.get())),
            static_cast<std::size_t>(xcb_get_property_value_length(reply.get()))};
}

DesktopControl::Colour DesktopControl::pixel(int x, int y) {
    Reply<xcb_get_image_reply_t> image(xcb_get_image_reply(
        connection_,
        xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), 1, 1, 0xffffffff),
        nullptr));
    if (!image || xcb_get_image_data_length(image.get()) < 4) {
        return {};
    }
    const std::uint8_t* bgrx = xcb_get_image_data(image.get());
    return Colour{bgrx[2], bgrx[1], bgrx[0]};
}

std::optional<DesktopControl::Geometry> DesktopControl::geometry(xcb_window_t window) {
    Reply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr));
    Reply<xcb_get_geometry_reply_t> g(
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
    if (!origin || !g) {
        return std::nullopt;
    }
    return Geometry{origin->dst_x, origin->dst_y, g->width, g->height};
}

DesktopControl::Colour DesktopControl::centrePixel(xcb_window_t window) {
    const auto g = geometry(window);
    return g ? pixel(g->x + g->width / 2, g->y + g->height / 2) : Colour{};
}

bool DesktopControl::waitUntil(const std::function<bool()>& condition,
                               std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace tavrilux::testdesktop
