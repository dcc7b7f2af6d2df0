#include "platform/x11/XcbScreenConnection.h"

namespace tavrilux::x11 {

XcbScreenConnection connectToScreen(const char* displayName, std::string* error) {
    XcbScreenConnection opened;
    xcb_connection_t* connection = xcb_connect(displayName, &opened.screenNumber);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        if (error != nullptr) {
            *error = "cannot connect to the X server";
        }
        return {};
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < opened.screenNumber && it.rem > 0; ++i) {
        xcb_screen_next(&it);
    }
    opened.connection = connection;
    opened.root = it.data->root;
    return opened;
}

} // namespace tavrilux::x11
