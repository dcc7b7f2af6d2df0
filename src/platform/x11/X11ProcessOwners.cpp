#include "platform/x11/X11ProcessOwners.h"

#include "platform/x11/XcbProperty.h"
#include "platform/x11/XcbReply.h"

#include <bit>
#include <cerrno>
#include <climits>
#include <csignal>

namespace tavrilux::x11 {

X11ProcessOwners::X11ProcessOwners(xcb_connection_t* connection, X11Counters& counters)
    : connection_(connection) {
    clientIdMask_ = ~xcb_get_setup(connection_)->resource_id_mask;
    const auto* resources = xcb_get_extension_data(connection_, &xcb_res_id);
    if (resources != nullptr && resources->present != 0) {
        // Client ids (and so process ids) came with version 1.2.
        Reply<xcb_res_query_version_reply_t> version(xcb_res_query_version_reply(
            connection_, xcb_res_query_version(connection_, 1, 2), nullptr));
        ++counters.roundTrips;
        hasClientIds_ = version && (version->server_major > 1 ||
                                    (version->server_major == 1 && version->server_minor >= 2));
    }
}

ProcessID X11ProcessOwners::standIn(xcb_window_t window) const {
    // The server's number of the connection that made the window, negated: no process has it.
    const std::uint32_t client = (window & clientIdMask_) >> std::countr_zero(clientIdMask_);
    return -static_cast<ProcessID>(client);
}

std::optional<xcb_res_query_client_ids_cookie_t>
X11ProcessOwners::request(const std::vector<xcb_window_t>& windows) {
    if (!hasClientIds_ || windows.empty()) {
        return std::nullopt;
    }
    std::vector<xcb_res_client_id_spec_t> clientIds;
    clientIds.reserve(windows.size());
    for (auto window : windows) {
        clientIds.push_back({window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID});
    }
    return xcb_res_query_client_ids(connection_, static_cast<std::uint32_t>(clientIds.size()),
                                    clientIds.data());
}

X11ProcessOwners::ByClient
X11ProcessOwners::read(std::optional<xcb_res_query_client_ids_cookie_t> cookie) {
    ByClient byClient;
    if (!cookie) {
        return byClient;
    }
    Reply<xcb_res_query_client_ids_reply_t> reply(
        xcb_res_query_client_ids_reply(connection_, *cookie, nullptr));
    if (!reply) {
        return byClient;
    }
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem > 0;
         xcb_res_client_id_value_next(&it)) {
        [[maybe_unused]] const auto& [clientId, length] = *it.data;
        if ((clientId.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) == 0 ||
            xcb_res_client_id_value_value_length(it.data) != 1) {
            continue;
        }
        const std::uint32_t pid = *xcb_res_client_id_value_value(it.data);
        // A connection whose resources outlived it still names its process, which may be gone.
        if (pid > 0 && pid <= INT32_MAX &&
            (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM)) {
            byClient[clientId.client & clientIdMask_] = static_cast<ProcessID>(pid);
        }
    }
    return byClient;
}

ProcessID X11ProcessOwners::ownerOf(xcb_window_t window,
                                    const xcb_get_property_reply_t* pidProperty,
                                    const ByClient& byClient) const {
    const auto pid = propertyValues(pidProperty, XCB_ATOM_CARDINAL);
    if (pid.size() == 1 && pid[0] > 0 && pid[0] <= INT32_MAX) {
        return static_cast<ProcessID>(pid[0]);
    }
    // No _NET_WM_PID (xlogo, many older programs): the process behind the window's connection;
    // when none is known, the window's connection stands for its own application.
    const auto it = byClient.find(window & clientIdMask_);
    return it != byClient.end() ? it->second : standIn(window);
}

} // namespace tavrilux::x11
