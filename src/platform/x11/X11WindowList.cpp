#include "platform/x11/X11WindowList.h"

#include "platform/x11/X11WindowProperties.h"
#include "platform/x11/XcbProperty.h"
#include "platform/x11/XcbReply.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>

namespace tavrilux::x11 {

namespace {

constexpr std::uint8_t kBadWindow = 3;
constexpr std::uint8_t kBadDrawable = 9;

} // namespace

X11WindowList::X11WindowList(xcb_connection_t* connection, xcb_window_t root,
                             const X11DesktopAtoms& atoms, X11Counters& counters)
    : connection_(connection), root_(root), atoms_(atoms), counters_(counters),
      owners_(connection, counters), rootStacking_(connection, root, false) {}

void X11WindowList::start() {
    rootStacking_.reload();
    counters_.roundTrips += 2;
    // Their geometry too, so that from the first event on a restack is told from a move.
    for (const auto& child : rootStacking_.children()) {
        if (child.width > 0 && child.height > 0) {
            frames_[child.window] = FrameGeometry{
                child.x, child.y, static_cast<std::uint16_t>(child.width - 2 * child.border),
                static_cast<std::uint16_t>(child.height - 2 * child.border), child.border};
        }
    }
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
    // Possibly noted before it was known to be ours.
    frames_.erase(window);
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
            readsPending_ = true;
            clientsChanged();
        }
    }
}

void X11WindowList::handleEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    const X11DesktopAtoms& a = atoms_;
    // Our own windows too: they are part of the order.
    rootStacking_.handleEvent(event);
    if (type == XCB_PROPERTY_NOTIFY) {
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
            readsPending_ = true;
        }
        return;
    }
    if (type < XCB_CREATE_NOTIFY || type > XCB_CIRCULATE_NOTIFY) {
        return;
    }
    // Every structure event carries the window it is about at the same place.
    const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
    if (!ignored_.contains(e.window)) {
        handleStructureEvent(type, event);
    }
}

void X11WindowList::handleStructureEvent(std::uint8_t type, const xcb_generic_event_t& event) {
    // All but CreateNotify carry the window whose mask chose the event before the window.
    const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
    switch (type) {
    case XCB_CONFIGURE_NOTIFY:
        handleConfigure(reinterpret_cast<const xcb_configure_notify_event_t&>(event));
        return;
    case XCB_CREATE_NOTIFY: {
        const auto& c = reinterpret_cast<const xcb_create_notify_event_t&>(event);
        if (c.parent == root_) {
            noteFrame(c.window, {c.x, c.y, c.width, c.height, c.border_width});
        }
        break;
    }
    case XCB_MAP_NOTIFY:
    case XCB_UNMAP_NOTIFY:
        // Whether a window is viewable depends on its frame's map state as much as on its own.
        if (e.event == root_) {
            frameChanged(e.window, false);
        } else if (auto it = clients_.find(e.window); it != clients_.end()) {
            it->second.geometryDirty = true;
            readsPending_ = true;
        }
        break;
    case XCB_GRAVITY_NOTIFY:
        // Moved in its parent, which was resized.
        if (auto it = clients_.find(e.window); it != clients_.end()) {
            it->second.geometryDirty = true;
            readsPending_ = true;
        }
        break;
    case XCB_REPARENT_NOTIFY:
        // A client put into another frame, or a child of the root that came or went: the frames
        // of the windows concerned are found again.
        if (auto it = clients_.find(e.window); it != clients_.end()) {
            it->second.frame = 0;
            it->second.geometryDirty = true;
            readsPending_ = true;
        }
        if (e.event == root_) {
            frames_.erase(e.window);
            frameChanged(e.window, true);
        }
        break;
    case XCB_DESTROY_NOTIFY:
        if (clients_.erase(e.window) > 0) {
            listDirty_ = true;
            readsPending_ = true;
            clientsChanged();
        }
        if (e.event == root_) {
            frames_.erase(e.window);
            frameChanged(e.window, true);
        }
        break;
    default:
        // CirculateNotify restacks: the root's order follows it, no window moves.
        break;
    }
    listDirty_ = listDirty_ || fallbackList_;
}

void X11WindowList::handleConfigure(const xcb_configure_notify_event_t& e) {
    if (e.window == root_) {
        return;
    }
    if (e.event == root_) {
        // A frame restacked in place changes nothing of the windows it holds.
        if (noteFrame(e.window, {e.x, e.y, e.width, e.height, e.border_width})) {
            frameChanged(e.window, false);
        }
        listDirty_ = listDirty_ || fallbackList_;
        return;
    }
    const auto it = clients_.find(e.window);
    if (it == clients_.end()) {
        return;
    }
    Client& c = it->second;
    // The window manager's own notices (ICCCM) give the outer corner on the root, the server's
    // the place in the parent.
    const bool notice = (e.response_type & 0x80) != 0;
    const int x = notice ? c.rootX - c.border : c.x;
    const int y = notice ? c.rootY - c.border : c.y;
    if (e.x != x || e.y != y || e.width != c.width || e.height != c.height ||
        e.border_width != c.border) {
        c.geometryDirty = true;
        readsPending_ = true;
    }
}

bool X11WindowList::noteFrame(xcb_window_t frame, const FrameGeometry& geometry) {
    const auto [it, added] = frames_.try_emplace(frame, geometry);
    if (added) {
        return true;
    }
    if (it->second == geometry) {
        return false;
    }
    it->second = geometry;
    return true;
}

void X11WindowList::frameChanged(xcb_window_t frame, bool lost) {
    for (auto& [window, client] : clients_) {
        if (client.frame == frame) {
            client.geometryDirty = true;
            readsPending_ = true;
            if (lost) {
                client.frame = 0;
            }
        }
    }
}

std::optional<ProcessID> X11WindowList::ownerOf(xcb_window_t window) {
    if (auto it = clients_.find(window); it != clients_.end() && !it->second.propertiesDirty) {
        return it->second.pid;
    }
    const auto pidCookie =
        xcb_get_property(connection_, 0, window, atoms_.wmPid, XCB_ATOM_CARDINAL, 0, 1);
    const auto processIds = owners_.read(owners_.request({window}));
    xcb_generic_error_t* error = nullptr;
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection_, pidCookie, &error));
    ++counters_.roundTrips;
    if (error != nullptr) {
        // Gone already.
        ++counters_.errors;
        std::free(error);
        return std::nullopt;
    }
    return owners_.ownerOf(window, reply.get(), processIds);
}

void X11WindowList::invalidate() {
    clients_.clear();
    listDirty_ = true;
    allGeometryDirty_ = true;
    readsPending_ = true;
    clientsChanged();
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
        readsPending_ = true;
    }
    if (fallbackList_ == hasStacking) {
        // Which windows count changes with the list.
        fallbackList_ = !hasStacking;
        clientsChanged();
    }
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
    if (!vanished_.empty()) {
        std::erase_if(managed, [this](xcb_window_t w) { return vanished_.contains(w); });
    }
    if (managed == managed_) {
        return;
    }
    managed_ = std::move(managed);
    changed();
    // A new order alone keeps every window; windows new to the list are read at the refresh.
    const bool sameWindows = clients_.size() == managed_.size() &&
                             std::all_of(managed_.begin(), managed_.end(),
                                         [this](xcb_window_t w) { return clients_.contains(w); });
    if (!sameWindows) {
        // Forget windows that left the list.
        const std::unordered_set<xcb_window_t> kept(managed_.begin(), managed_.end());
        std::erase_if(clients_, [&kept](const auto& entry) { return !kept.contains(entry.first); });
        readsPending_ = true;
        clientsChanged();
    }
}

void X11WindowList::refresh() {
    if (listDirty_) {
        refreshList();
    }
    syncManaged();
    refreshClients();
    refreshOrder();
}

void X11WindowList::refreshOrder() {
    if (orderedGeneration_ == generation_ && orderedRootGeneration_ == rootStacking_.generation()) {
        return;
    }
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
    orderedGeneration_ = generation_;
    orderedRootGeneration_ = rootStacking_.generation();
}

void X11WindowList::refreshClients() {
    if (!readsPending_ && !allGeometryDirty_) {
        return;
    }
    const X11DesktopAtoms& a = atoms_;
    struct Pending {
        xcb_window_t window;
        bool properties;
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t position;
        xcb_get_property_cookie_t pid, type, state, extents, wmClass, gtkId, wmState;
        std::optional<xcb_query_tree_cookie_t> tree;
        std::optional<xcb_get_geometry_cookie_t> frame;
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
        if (client.frame != 0 && client.frame != window && !frames_.contains(client.frame)) {
            // Asked before the window's place: a frame moved after this answer announces it.
            p.frame = xcb_get_geometry(connection_, client.frame);
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
    readsPending_ = false;
    if (pending.empty()) {
        return;
    }
    // Asked for every window read, with the rest: whether _NET_WM_PID is there is not known yet.
    const auto processIds = owners_.read(owners_.request(unknownProcess));
    ++counters_.roundTrips;
    counters_.windowReads += pending.size();

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
        if (p.frame) {
            xcb_generic_error_t* frameError = nullptr;
            Reply<xcb_get_geometry_reply_t> frame(
                xcb_get_geometry_reply(connection_, *p.frame, &frameError));
            if (frameError != nullptr) {
                // Its frame went; the events say more.
                ++counters_.errors;
                std::free(frameError);
            } else if (frame) {
                frames_[client.frame] = FrameGeometry{frame->x, frame->y, frame->width,
                                                      frame->height, frame->border_width};
            }
        }
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
            client.pid = owners_.ownerOf(p.window, props[0].get(), processIds);
            X11WindowProperties(atoms_).apply({props[1].get(), props[2].get(), props[3].get(),
                                               props[4].get(), props[5].get(), props[6].get()},
                                              client);
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
        client.x = geometry->x;
        client.y = geometry->y;
        if (client.frame == p.window && !frames_.contains(p.window)) {
            // Its own frame, asked before its place (see above).
            frames_[p.window] = FrameGeometry{geometry->x, geometry->y, geometry->width,
                                              geometry->height, geometry->border_width};
        }
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
    bool propertiesRead = !vanished.empty();
    for (const auto& p : pending) {
        const auto it = clients_.find(p.window);
        // A frame still unknown is looked for again at every refresh.
        readsPending_ = readsPending_ || (it != clients_.end() && it->second.frame == 0);
        propertiesRead = propertiesRead || p.properties;
    }
    if (propertiesRead) {
        clientsChanged();
    } else {
        changed();
    }
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
