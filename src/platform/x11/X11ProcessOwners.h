#pragma once

#include "core/focus/Identifiers.h"
#include "platform/x11/X11Counters.h"

#include <xcb/res.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tavrilux::x11 {

// The process that owns a window: its _NET_WM_PID, else the process behind the connection that
// made it (X-Resource client ids), else a stand-in of its own for that connection (a negative
// number no process has). Main thread only.
class X11ProcessOwners final {
public:
    // Process ids by the client part of a window id.
    using ByClient = std::unordered_map<std::uint32_t, ProcessID>;

    // Asks which X-Resource version the server speaks (one round trip).
    X11ProcessOwners(xcb_connection_t* connection, X11Counters& counters);

    // Asks for the processes behind the connections that made `windows`; none to wait for when
    // the server cannot tell.
    std::optional<xcb_res_query_client_ids_cookie_t>
    request(const std::vector<xcb_window_t>& windows);
    ByClient read(std::optional<xcb_res_query_client_ids_cookie_t> cookie);
    // `pidProperty`: the window's _NET_WM_PID as read (null when it could not be).
    ProcessID ownerOf(xcb_window_t window, const xcb_get_property_reply_t* pidProperty,
                      const ByClient& byClient) const;

private:
    ProcessID standIn(xcb_window_t window) const;

    xcb_connection_t* connection_;
    bool hasClientIds_ = false;
    // The bits of a resource id that name the connection that made it.
    std::uint32_t clientIdMask_ = 0;
};

} // namespace tavrilux::x11
