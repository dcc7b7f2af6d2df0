#include "platform/x11/X11SystemTray.h"

#include "platform/x11/XcbAtoms.h"
#include "platform/x11/XcbReply.h"
#include "platform/x11/XcbScreenConnection.h"

#include <cstdint>
#include <cstdlib>

namespace tavrilux::x11 {

std::unique_ptr<X11SystemTray> X11SystemTray::connect(MainQueue& queue, const char* displayName,
                                                      std::string* error) {
    const XcbScreenConnection opened = connectToScreen(displayName, error);
    if (opened.connection == nullptr) {
        return nullptr;
    }
    xcb_connection_t* connection = opened.connection;
    const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(opened.screenNumber);
    Atoms atoms;
    internAtoms(connection, {{&atoms.selection, selection.c_str()},
                             {&atoms.colors, "_NET_SYSTEM_TRAY_COLORS"},
                             {&atoms.manager, "MANAGER"}});
    return std::unique_ptr<X11SystemTray>(new X11SystemTray(queue, connection, opened.root, atoms));
}

X11SystemTray::X11SystemTray(MainQueue& queue, xcb_connection_t* connection, xcb_window_t root,
                             Atoms atoms)
    : queue_(queue), connection_(connection), root_(root), atoms_(atoms),
      handler_(std::make_shared<ChangeHandler>()) {
    // A new tray announces itself to the root's structure listeners; listening before asking
    // for the owner misses none that starts meanwhile.
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    auto owner = reply(xcb_get_selection_owner_reply(
        connection_, xcb_get_selection_owner(connection_, atoms_.selection), nullptr));
    follow(owner ? owner->owner : xcb_window_t{XCB_WINDOW_NONE});
    // Events that came while we waited for answers are queued already: the descriptor will not
    // tell of them.
    processEvents();
}

X11SystemTray::~X11SystemTray() {
    xcb_disconnect(connection_);
}

void X11SystemTray::setChangeHandler(ChangeHandler handler) {
    *handler_ = std::move(handler);
}

int X11SystemTray::fileDescriptor() const {
    return xcb_get_file_descriptor(connection_);
}

bool X11SystemTray::isConnected() const {
    return xcb_connection_has_error(connection_) == 0;
}

void X11SystemTray::follow(xcb_window_t manager) {
    manager_ = manager;
    if (manager_ != XCB_WINDOW_NONE) {
        // Watched before its colours are read, so that no change in between goes unseen.
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        if (xcb_generic_error_t* gone = xcb_request_check(
                connection_, xcb_change_window_attributes_checked(connection_, manager_,
                                                                  XCB_CW_EVENT_MASK, &mask))) {
            std::free(gone);
            manager_ = XCB_WINDOW_NONE;
        }
    }
    readColours();
}

void X11SystemTray::readColours() {
    foreground_.reset();
    if (manager_ == XCB_WINDOW_NONE) {
        return;
    }
    // Twelve cardinals of 16 bits each: foreground, error, warning and success, red green blue.
    auto property = reply(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, manager_, atoms_.colors, XCB_ATOM_CARDINAL, 0, 12),
        nullptr));
    if (!property || property->format != 32 || property->value_len < 12) {
        return;
    }
    const auto* value = static_cast<const std::uint32_t*>(xcb_get_property_value(property.get()));
    const auto channel = [&](int i) { return static_cast<double>(value[i] & 0xffff) / 0xffff; };
    foreground_ = Rgba{channel(0), channel(1), channel(2)};
}

void X11SystemTray::processEvents() {
    const xcb_window_t manager = manager_;
    const std::optional<Rgba> foreground = foreground_;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        switch (event->response_type & 0x7f) {
        case XCB_CLIENT_MESSAGE: {
            const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
            if (message->type == atoms_.manager && message->format == 32 &&
                message->data.data32[1] == atoms_.selection) {
                follow(message->data.data32[2]);
            }
            break;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event);
            if (notify->window == manager_ && notify->atom == atoms_.colors) {
                readColours();
            }
            break;
        }
        case XCB_DESTROY_NOTIFY:
            if (reinterpret_cast<xcb_destroy_notify_event_t*>(event)->window == manager_) {
                follow(XCB_WINDOW_NONE);
            }
            break;
        default:
            break;
        }
        std::free(event);
    }
    if (manager_ != manager || foreground_ != foreground) {
        queue_.post([weak = std::weak_ptr<ChangeHandler>(handler_)] {
            if (const auto handler = weak.lock(); handler && *handler) {
                (*handler)();
            }
        });
    }
}

} // namespace tavrilux::x11
