#include "platform/x11/X11WindowList.h"

#include "platform/x11/XcbReply.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <functional>

namespace tavrilux::x11 {

namespace {

constexpr std::uint8_t kBadWindow = 3;
constexpr std::uint8_t kBadDrawable = 9;

std::string propertyString(const xcb_get_property_reply_t* reply) {
    if (reply == nullptr || reply->format != 8) {
        return {};
    }
    const auto* data = static_cast<const char*>(xcb_get_property_value(reply));
    const int length = xcb_get_property_value_length(reply);
    return std::string(data, static_cast<std::size_t>(std::max(length, 0)));
}

// CARDINAL/ATOM/WINDOW lists of format 32; empty when the property is missing or mistyped.
std::vector<std::uint32_t> propertyValues(const xcb_get_property_reply_t* reply, xcb_atom_t type) {
    if (reply == nullptr || reply->format != 32 || reply->type != type) {
        return {};
    }
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    return std::vector<std::uint32_t>(data, data + xcb_get_property_value_length(reply) / 4);
}

} // namespace

X11WindowList::X11WindowList(xcb_connection_t* connection, xcb_window_t root,
                             const X11DesktopAtoms& atoms, X11Counters& counters)
    : connection_(connection), root_(root), atoms_(atoms), counters_(counters),
      rootStacking_(connection, root, false) {
    clientIdMask_ = ~xcb_get_setup(connection_)->resource_id_mask;
    const auto* resources = xcb_get_extension_data(connection_, &xcb_res_id);
    if (resources != nullptr && resources->present != 0) {
        // Client ids (and so process ids) came with version 1.2.
        Reply<xcb_res_query_version_reply_t> version(xcb_res_query_version_reply(
            connection_, xcb_res_query_version(connection_, 1, 2), nullptr));
        ++counters_.roundTrips;
        hasClientIds_ = version && (version->server_major > 1 ||
                                    (version->server_major == 1 && version->server_minor >= 2));
    }
}

void X11WindowList::start() {
    rootStacking_.reload();
    counters_.roundTrips += 2;
}

const X11WindowList::Client* X11WindowList::client(xcb_window_t window) const {
    const auto it = clients_.find(window);
    return it == clients_.end() ? nullptr : &it->second;
}

std::optional<X11TopLevelOwner> X11WindowList::ownerOfTopLevel(xcb_window_t frame) const {
    for (const auto& [window, c] : clients_) {
        if (c.frame == frame && c.pid) {
            return X11TopLevelOwner{*c.pid, window};
        }
    }
    return std::nullopt;
}

void X11WindowList::ignoreStructureEvents(xcb_window_t window, bool ignore) {
    if (ignore) {
        ignored_.insert(window);
    } else {
        ignored_.erase(window);
    }
}

void X11WindowList::handleError(const xcb_generic_error_t& error) {
    if (error.error_code == kBadWindow || error.error_code == kBadDrawable) {
        // A window that vanished between the list and our requests: forget it.
        if (clients_.erase(error.resource_id) > 0) {
            listDirty_ = true;
            changed();
        }
    }
}

void X11WindowList::handleEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    const X11DesktopAtoms& a = atoms_;
    // Our own windows too: they are part of the order.
    rootStacking_.handleEvent(event);
    if (type >= XCB_CREATE_NOTIFY && type <= XCB_CIRCULATE_NOTIFY && !ignored_.empty()) {
        // Every structure event carries the window it is about at the same place.
        const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        if (ignored_.contains(e.window)) {
            return;
        }
    }
    switch (type) {
    case XCB_PROPERTY_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (e.window == root_) {
            if (e.atom == a.clientListStacking || e.atom == a.showingDesktop) {
                listDirty_ = true;
            }
            return;
        }
        auto it = clients_.find(e.window);
        if (it == clients_.end()) {
            return;
        }
        if (e.atom == a.wmPid || e.atom == a.wmWindowType || e.atom == a.wmState ||
            e.atom == a.frameExtents || e.atom == XCB_ATOM_WM_CLASS ||
            e.atom == a.gtkApplicationId || e.atom == a.icccmWmState) {
            it->second.propertiesDirty = true;
        }
        return;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (e.window == root_) {
            return;
        }
        if (e.event == root_) {
            // A top-level frame moved, resized or restacked: client positions follow it.
            allGeometryDirty_ = true;
            listDirty_ = listDirty_ || fallbackList_;
        } else if (auto it = clients_.find(e.window); it != clients_.end()) {
            it->second.geometryDirty = true;
        }
        return;
    }
    case XCB_MAP_NOTIFY:
    case XCB_UNMAP_NOTIFY:
    case XCB_REPARENT_NOTIFY:
    case XCB_CREATE_NOTIFY:
    case XCB_DESTROY_NOTIFY:
    case XCB_CIRCULATE_NOTIFY: {
        // Frames come and go, or clients map and unmap: map states and positions follow.
        allGeometryDirty_ = true;
        listDirty_ = listDirty_ || fallbackList_;
        if (type == XCB_DESTROY_NOTIFY) {
            const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
            if (clients_.erase(e.window) > 0) {
                listDirty_ = true;
                changed();
            }
        } else if (type == XCB_REPARENT_NOTIFY) {
            // A client put into another frame.
            const auto& e = reinterpret_cast<const xcb_reparent_notify_event_t&>(event);
            if (auto it = clients_.find(e.window); it != clients_.end()) {
                it->second.frame = 0;
            }
        }
        return;
    }
    default:
        return;
    }
}

std::optional<ProcessID> X11WindowList::ownerOf(xcb_window_t window) {
    if (auto it = clients_.find(window); it != clients_.end() && !it->second.propertiesDirty) {
        return it->second.pid;
    }
    const auto pidCookie =
        xcb_get_property(connection_, 0, window, atoms_.wmPid, XCB_ATOM_CARDINAL, 0, 1);
    const auto processIds = readProcessIds(requestProcessIds({window}));
    xcb_generic_error_t* error = nullptr;
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection_, pidCookie, &error));
    ++counters_.roundTrips;
    if (error != nullptr) {
        // Gone already.
        ++counters_.errors;
        std::free(error);
        return std::nullopt;
    }
    return processOf(window, reply.get(), processIds);
}

void X11WindowList::invalidate() {
    clients_.clear();
    listDirty_ = true;
    allGeometryDirty_ = true;
    changed();
}

void X11WindowList::refreshList() {
    const X11DesktopAtoms& a = atoms_;
    auto stackingCookie =
        xcb_get_property(connection_, 0, root_, a.clientListStacking, XCB_ATOM_WINDOW, 0, 65536);
    auto showingCookie =
        xcb_get_property(connection_, 0, root_, a.showingDesktop, XCB_ATOM_CARDINAL, 0, 1);
    ++counters_.roundTrips;
    Reply<xcb_get_property_reply_t> stacking(
        xcb_get_property_reply(connection_, stackingCookie, nullptr));
    Reply<xcb_get_property_reply_t> showing(
        xcb_get_property_reply(connection_, showingCookie, nullptr));
    const auto showingValues = propertyValues(showing.get(), XCB_ATOM_CARDINAL);
    showingDesktop_ = !showingValues.empty() && showingValues[0] == 1;
    listDirty_ = false;

    const bool hasStacking = stacking && stacking->type == XCB_ATOM_WINDOW;
    if (!hasStacking && !fallbackList_) {
        // Whether a window carries WM_STATE is read only for the fallback list.
        for (auto& [window, client] : clients_) {
            client.propertiesDirty = true;
        }
    }
    fallbackList_ = !hasStacking;
    // Which windows are managed, bottom to top; some window managers keep this in another order
    // than the real one, so the order is taken from their frames.
    listed_ = propertyValues(stacking.get(), XCB_ATOM_WINDOW);
    vanished_.clear();
}

void X11WindowList::syncManaged() {
    std::vector<xcb_window_t> managed;
    if (fallbackList_) {
        // The root's children; those that carry WM_STATE are the managed ones.
        for (const auto& child : rootStacking_.children()) {
            if (!ignored_.contains(child.window)) {
                managed.push_back(child.window);
            }
        }
    } else {
        managed = listed_;
    }
    // Windows found gone stay out until the list changes.
    std::erase_if(managed, [this](xcb_window_t w) { return vanished_.contains(w); });
    if (managed == managed_) {
        return;
    }
    managed_ = std::move(managed);
    changed();
    // Forget windows that left the list.
    std::unordered_map<xcb_window_t, Client> kept;
    for (auto window : managed_) {
        auto it = clients_.find(window);
        kept.emplace(window, it != clients_.end() ? std::move(it->second) : Client{});
    }
    clients_ = std::move(kept);
}

void X11WindowList::refresh() {
    if (listDirty_) {
        refreshList();
    }
    syncManaged();
    refreshClients();
    // Front to back by the frames' places among the root's children; the list's own order breaks
    // ties (one frame holding several clients) and puts windows of unknown frames at the back.
    std::vector<std::pair<std::size_t, std::size_t>> keys; // (frame place + 1, list place)
    keys.reserve(managed_.size());
    for (std::size_t i = 0; i < managed_.size(); ++i) {
        const auto it = clients_.find(managed_[i]);
        const auto place = it != clients_.end() && it->second.frame != 0
                               ? rootStacking_.indexOf(it->second.frame)
                               : std::nullopt;
        keys.emplace_back(place ? *place + 1 : 0, i);
    }
    std::sort(keys.begin(), keys.end(), std::greater<>());
    std::vector<xcb_window_t> order;
    order.reserve(keys.size());
    for (const auto& key : keys) {
        order.push_back(managed_[key.second]);
    }
    if (order != stacking_) {
        stacking_ = std::move(order);
        changed();
    }
}

ProcessID X11WindowList::standInProcess(xcb_window_t window) const {
    // The server's number of the connection that made the window, negated: no process has it.
    const std::uint32_t client = (window & clientIdMask_) >> std::countr_zero(clientIdMask_);
    return -static_cast<ProcessID>(client);
}

std::optional<xcb_res_query_client_ids_cookie_t>
X11WindowList::requestProcessIds(const std::vector<xcb_window_t>& windows) {
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

std::unordered_map<std::uint32_t, ProcessID>
X11WindowList::readProcessIds(std::optional<xcb_res_query_client_ids_cookie_t> cookie) {
    std::unordered_map<std::uint32_t, ProcessID> byClient;
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

ProcessID
X11WindowList::processOf(xcb_window_t window, const xcb_get_property_reply_t* pidProperty,
                         const std::unordered_map<std::uint32_t, ProcessID>& byClient) const {
    const auto pid = propertyValues(pidProperty, XCB_ATOM_CARDINAL);
    if (pid.size() == 1 && pid[0] > 0 && pid[0] <= INT32_MAX) {
        return static_cast<ProcessID>(pid[0]);
    }
    // No _NET_WM_PID (xlogo, many older programs): the process behind the window's connection;
    // when none is known, the window's connection stands for its own application.
    const auto it = byClient.find(window & clientIdMask_);
    return it != byClient.end() ? it->second : standInProcess(window);
}

void X11WindowList::refreshClients() {
    const X11DesktopAtoms& a = atoms_;
    struct Pending {
        xcb_window_t window;
        bool properties;
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t position;
        xcb_get_property_cookie_t pid, type, state, extents, wmClass, gtkId, wmState;
        std::optional<xcb_query_tree_cookie_t> tree;
    };
    std::vector<Pending> pending;
    std::vector<xcb_window_t> unknownProcess;
    const std::uint32_t clientMask =
        XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    for (auto window : managed_) {
        Client& client = clients_[window];
        const bool geometry = client.geometryDirty || allGeometryDirty_;
        if (client.frame == 0 && (fallbackList_ || rootStacking_.contains(window))) {
            client.frame = window; // no frame of its own
        }
        if (!client.propertiesDirty && !geometry && client.frame != 0) {
            continue;
        }
        Pending p{};
        p.window = window;
        p.properties = client.propertiesDirty;
        if (!client.selected) {
            // Selected before the reads, so no change between read and selection is missed.
            xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &clientMask);
            client.selected = true;
        }
        p.attributes = xcb_get_window_attributes(connection_, window);
        p.geometry = xcb_get_geometry(connection_, window);
        p.position = xcb_translate_coordinates(connection_, window, root_, 0, 0);
        if (client.frame == 0) {
            p.tree = xcb_query_tree(connection_, window);
        }
        if (p.properties) {
            p.pid = xcb_get_property(connection_, 0, window, a.wmPid, XCB_ATOM_ANY, 0, 2);
            p.type = xcb_get_property(connection_, 0, window, a.wmWindowType, XCB_ATOM_ATOM, 0, 32);
            p.state = xcb_get_property(connection_, 0, window, a.wmState, XCB_ATOM_ATOM, 0, 32);
            p.extents =
                xcb_get_property(connection_, 0, window, a.frameExtents, XCB_ATOM_CARDINAL, 0, 4);
            p.wmClass = xcb_get_property(connection_, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING,
                                         0, 256);
            p.gtkId =
                xcb_get_property(connection_, 0, window, a.gtkApplicationId, a.utf8String, 0, 256);
            if (fallbackList_) {
                p.wmState =
                    xcb_get_property(connection_, 0, window, a.icccmWmState, XCB_ATOM_ANY, 0, 2);
            }
            unknownProcess.push_back(window);
        }
        pending.push_back(p);
    }
    allGeometryDirty_ = false;
    if (pending.empty()) {
        return;
    }
    // Asked for every window read, with the rest: whether _NET_WM_PID is there is not known yet.
    const auto processIds = readProcessIds(requestProcessIds(unknownProcess));
    ++counters_.roundTrips;

    std::vector<xcb_window_t> vanished;
    // Clients whose frame lies further up: (client, an ancestor below the frame).
    std::vector<std::pair<xcb_window_t, xcb_window_t>> climbing;
    for (const auto& p : pending) {
        bool gone = false;
        xcb_generic_error_t* error = nullptr;
        // Takes the error by reference: its value is read only once the reply call, an argument
        // evaluated in no fixed order with the others, has stored it.
        const auto take = [&](auto reply, xcb_generic_error_t*& failure) {
            if (failure != nullptr) {
                gone = true;
                ++counters_.errors;
                std::free(failure);
                failure = nullptr;
            }
            return reply;
        };
        Reply<xcb_get_window_attributes_reply_t> attributes(
            take(xcb_get_window_attributes_reply(connection_, p.attributes, &error), error));
        Reply<xcb_get_geometry_reply_t> geometry(
            take(xcb_get_geometry_reply(connection_, p.geometry, &error), error));
        Reply<xcb_translate_coordinates_reply_t> position(
            take(xcb_translate_coordinates_reply(connection_, p.position, &error), error));
        Client& client = clients_[p.window];
        if (p.tree) {
            Reply<xcb_query_tree_reply_t> tree(
                take(xcb_query_tree_reply(connection_, *p.tree, &error), error));
            if (tree && (tree->parent == root_ || rootStacking_.contains(tree->parent))) {
                client.frame = tree->parent == root_ ? p.window : tree->parent;
            } else if (tree) {
                climbing.emplace_back(p.window, tree->parent);
            }
        }
        if (p.properties) {
            std::array<Reply<xcb_get_property_reply_t>, 7> props;
            const xcb_get_property_cookie_t cookies[] = {p.pid,     p.type,  p.state,  p.extents,
                                                         p.wmClass, p.gtkId, p.wmState};
            for (std::size_t i = 0; i < props.size(); ++i) {
                if (i == 6 && !fallbackList_) {
                    break;
                }
                props[i].reset(
                    take(xcb_get_property_reply(connection_, cookies[i], &error), error));
            }
            client.propertiesDirty = false;
            client.pid = processOf(p.window, props[0].get(), processIds);
            client.layer = kNormalLayer;
            client.isDesktop = false;
            client.isNormalOrDialog = true;
            // The first type we know decides, as EWMH asks.
            for (auto t : propertyValues(props[1].get(), XCB_ATOM_ATOM)) {
                bool known = true;
                client.isNormalOrDialog = t == a.typeNormal || t == a.typeDialog;
                if (t == a.typeNormal || t == a.typeDialog || t == a.typeUtility) {
                    client.layer = kNormalLayer;
                } else if (t == a.typeDesktop) {
                    client.isDesktop = true;
                } else if (t == a.typeDock) {
                    client.layer = kDockLayer;
                } else if (t == a.typeToolbar || t == a.typeMenu || t == a.typeSplash) {
                    client.layer = kFloatingLayer;
                } else if (t == a.typeNotification) {
                    client.layer = kNotificationLayer;
                } else if (t == a.typeDropdownMenu || t == a.typePopupMenu || t == a.typeCombo ||
                           t == a.typeDnd) {
                    client.layer = kPopupLayer;
                } else if (t == a.typeTooltip) {
                    client.layer = kTooltipLayer;
                } else {
                    known = false;
                    client.isNormalOrDialog = true;
                }
                if (known) {
                    break;
                }
            }
            client.hidden = false;
            client.skipTaskbar = false;
            for (auto s : propertyValues(props[2].get(), XCB_ATOM_ATOM)) {
                client.hidden = client.hidden || s == a.stateHidden;
                client.skipTaskbar = client.skipTaskbar || s == a.stateSkipTaskbar;
                // Kept above the others, like a floating panel: it never takes the focus from the
                // windows below it.
                if (s == a.stateAbove && client.layer == kNormalLayer) {
                    client.layer = kFloatingLayer;
                }
            }
            const auto extents = propertyValues(props[3].get(), XCB_ATOM_CARDINAL);
            if (extents.size() == 4) {
                client.left = extents[0];
                client.right = extents[1];
                client.top = extents[2];
                client.bottom = extents[3];
            } else {
                client.left = client.right = client.top = client.bottom = 0;
            }
            const std::string wmClass = propertyString(props[4].get());
            const auto split = wmClass.find('\0');
            client.instance = wmClass.substr(0, split);
            client.windowClass =
                split == std::string::npos ? std::string() : wmClass.substr(split + 1);
            if (auto end = client.windowClass.find('\0'); end != std::string::npos) {
                client.windowClass.resize(end);
            }
            client.gtkApplicationId = propertyString(props[5].get());
            client.hasWmState = props[6] && props[6]->type != XCB_ATOM_NONE;
        }
        if (gone || !attributes || !geometry || !position) {
            vanished.push_back(p.window);
            continue;
        }
        client.geometryDirty = false;
        client.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        client.width = geometry->width;
        client.height = geometry->height;
        client.border = geometry->border_width;
        client.rootX = position->dst_x;
        client.rootY = position->dst_y;
    }
    for (auto window : vanished) {
        vanished_.insert(window);
        clients_.erase(window);
        std::erase(managed_, window);
        std::erase(stacking_, window);
        std::erase_if(climbing, [window](const auto& c) { return c.first == window; });
    }
    climbToFrames(std::move(climbing));
    changed();
}

void X11WindowList::climbToFrames(std::vector<std::pair<xcb_window_t, xcb_window_t>> climbing) {
    // Frames within frames (a wrapper between frame and client): one level a round trip, for all
    // such clients at once. Deeper than any window manager nests.
    for (int level = 0; level < 8 && !climbing.empty(); ++level) {
        std::vector<xcb_query_tree_cookie_t> cookies;
        cookies.reserve(climbing.size());
        for (const auto& [client, ancestor] : climbing) {
            cookies.push_back(xcb_query_tree(connection_, ancestor));
        }
        ++counters_.roundTrips;
        std::vector<std::pair<xcb_window_t, xcb_window_t>> higher;
        for (std::size_t i = 0; i < climbing.size(); ++i) {
            const auto [client, ancestor] = climbing[i];
            Reply<xcb_query_tree_reply_t> tree(
                xcb_query_tree_reply(connection_, cookies[i], nullptr));
            auto it = clients_.find(client);
            if (!tree || it == clients_.end()) {
                continue;
            }
            if (tree->parent == root_ || rootStacking_.contains(tree->parent)) {
                it->second.frame = tree->parent == root_ ? ancestor : tree->parent;
            } else {
                higher.emplace_back(client, tree->parent);
            }
        }
        climbing = std::move(higher);
    }
}

} // namespace tavrilux::x11
