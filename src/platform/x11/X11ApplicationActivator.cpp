#include "platform/x11/X11ApplicationActivator.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace tavrilux::x11 {

X11ApplicationActivator::X11ApplicationActivator(xcb_connection_t* connection, xcb_window_t root,
                                                 WindowServer& windowServer)
    : connection_(connection), root_(root), windowServer_(windowServer) {
    const char* name = "_NET_ACTIVE_WINDOW";
    auto* r = xcb_intern_atom_reply(
        connection_,
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    if (r != nullptr) {
        activeWindow_ = r->atom;
        std::free(r);
    }
}

void X11ApplicationActivator::activate(const RunningApplication& application, bool allWindows) {
    auto snapshot = windowServer_.captureSnapshot();
    if (!snapshot || activeWindow_ == 0) {
        return;
    }
    // Front to back; the application's windows only.
    std::vector<xcb_window_t> windows;
    for (const auto& entry : snapshot->windowInfo) {
        if (entry.ownerPID == application.processIdentifier && entry.layer == 0 && entry.number) {
            windows.push_back(static_cast<xcb_window_t>(*entry.number));
        }
    }
    if (windows.empty()) {
        return;
    }
    if (!allWindows) {
        windows.resize(1);
    }
    // Back to front, so that the front window is raised last and keeps the focus.
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = *it;
        event.type = activeWindow_;
        event.data.data32[0] = 2; // from a pager: the request is the user's
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(connection_, 0, root_,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    }
    xcb_flush(connection_);
}

} // namespace tavrilux::x11
