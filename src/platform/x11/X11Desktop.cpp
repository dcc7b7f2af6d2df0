#include "platform/x11/X11Desktop.h"

#include "platform/x11/NameBasedUuid.h"
#include "platform/x11/X11RootStacking.h"
#include "platform/x11/XcbAtoms.h"
#include "platform/x11/XcbReply.h"

#include <xcb/randr.h>
#include <xcb/res.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace tavrilux::x11 {

namespace {

constexpr std::uint8_t kBadWindow = 3;
constexpr std::uint8_t kBadDrawable = 9;

// Layers of the window list, after the classic window levels.
constexpr int kNormalLayer = 0;
constexpr int kFloatingLayer = 3;
constexpr int kDockLayer = 20;
constexpr int kNotificationLayer = 23;
constexpr int kPopupLayer = 101;
constexpr int kTooltipLayer = 102;

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

struct X11Desktop::Atoms {
    xcb_atom_t clientListStacking, activeWindow, currentDesktop, showingDesktop, wmPid,
        wmWindowType, wmState, frameExtents, icccmWmState, gtkApplicationId, utf8String, edid,
        stateHidden, stateSkipTaskbar, stateAbove, typeDesktop, typeDock, typeToolbar, typeMenu,
        typeUtility, typeSplash, typeDialog, typeDropdownMenu, typePopupMenu, typeTooltip,
        typeNotification, typeCombo, typeDnd, typeNormal;
};

struct X11Desktop::Monitor {
    xcb_atom_t name = 0;
    std::string localizedName;
    bool primary = false;
    std::int16_t x = 0, y = 0;
    std::uint16_t width = 0, height = 0;
    std::optional<std::string> uuid;
};

struct X11Desktop::Client {
    bool selected = false; // our event mask is set on it
    bool propertiesDirty = true;
    bool geometryDirty = true;
    bool hasWmState = false; // fallback list only
    std::optional<ProcessID> pid;
    int layer = kNormalLayer;
    bool isDesktop = false;
    bool isNormalOrDialog = true;
    bool hidden = false;
    bool skipTaskbar = false;
    // The child of the root that holds the window (the window manager's frame); 0 until known.
    xcb_window_t frame = 0;
    std::uint32_t left = 0, right = 0, top = 0, bottom = 0;
    bool viewable = false;
    std::int16_t rootX = 0, rootY = 0;
    std::uint16_t width = 0, height = 0;
    // Drawn around the window by the server; window managers without frames give their
    // clients one.
    std::uint16_t border = 0;
    std::string instance, windowClass, gtkApplicationId;
};

std::unique_ptr<X11Desktop>
X11Desktop::connect(MainQueue& queue, const char* displayName, std::string* error,
                    std::shared_ptr<const linux_platform::DesktopEntryIndex> entries) {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(displayName, &screenNumber);
    if (xcb_connection_has_error(connection) != 0) {
        if (error != nullptr) {
            const char* name = displayName != nullptr ? displayName : std::getenv("DISPLAY");
            *error =
                std::string("cannot connect to X display ") + (name != nullptr ? name : "(unset)");
        }
        xcb_disconnect(connection);
        return nullptr;
    }
    if (!entries) {
        entries = std::make_shared<linux_platform::DesktopEntryIndex>();
    }
    return std::unique_ptr<X11Desktop>(
        new X11Desktop(queue, connection, screenNumber, std::move(entries)));
}

X11Desktop::X11Desktop(MainQueue& queue, xcb_connection_t* connection, int screenNumber,
                       std::shared_ptr<const linux_platform::DesktopEntryIndex> entries)
    : queue_(queue), connection_(connection), atoms_(std::make_unique<Atoms>()),
      entries_(std::move(entries)), self_(std::make_shared<X11Desktop*>(this)) {
    auto it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) {
        xcb_screen_next(&it);
    }
    root_ = it.data->root;
    rootWidth_ = it.data->width_in_pixels;
    rootHeight_ = it.data->height_in_pixels;

    const std::uint32_t rootMask = XCB_EVENT_MASK_PROPERTY_CHANGE |
                                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY |
                                   XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &rootMask);
    internAtoms();
    // Selected above first, so that no change after the read is missed.
    rootStacking_ = std::make_unique<X11RootStacking>(connection_, root_, false);
    rootStacking_->reload();
    noteRoundTrip();
    noteRoundTrip();
    clientIdMask_ = ~xcb_get_setup(connection_)->resource_id_mask;

    const auto* resources = xcb_get_extension_data(connection_, &xcb_res_id);
    if (resources != nullptr && resources->present != 0) {
        // Client ids (and so process ids) came with version 1.2.
        Reply<xcb_res_query_version_reply_t> version(xcb_res_query_version_reply(
            connection_, xcb_res_query_version(connection_, 1, 2), nullptr));
        noteRoundTrip();
        hasClientIds_ = version && (version->server_major > 1 ||
                                    (version->server_major == 1 && version->server_minor >= 2));
    }

    const auto* randr = xcb_get_extension_data(connection_, &xcb_randr_id);
    if (randr != nullptr && randr->present != 0) {
        Reply<xcb_randr_query_version_reply_t> version(xcb_randr_query_version_reply(
            connection_, xcb_randr_query_version(connection_, 1, 5), nullptr));
        noteRoundTrip();
        hasMonitors_ = version && (version->major_version > 1 ||
                                   (version->major_version == 1 && version->minor_version >= 5));
        randrEventBase_ = randr->first_event;
        xcb_randr_select_input(
            connection_, root_,
            XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE |
                XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE | XCB_RANDR_NOTIFY_MASK_OUTPUT_PROPERTY);
    }
    refreshMonitors();
    // The windows first: whoever asks for the frontmost application before the first refresh
    // (the settings do, at start) gets it named.
    refreshWindows();
    refreshActiveOwner();
    // Events that came in while we waited for the answers above.
    drainEvents();
    schedulePendingDeliveries();
    xcb_flush(connection_);
}

X11Desktop::~X11Desktop() {
    xcb_disconnect(connection_);
}

void X11Desktop::internAtoms() {
    Atoms& a = *atoms_;
    x11::internAtoms(connection_, {{&a.clientListStacking, "_NET_CLIENT_LIST_STACKING"},
                                   {&a.activeWindow, "_NET_ACTIVE_WINDOW"},
                                   {&a.currentDesktop, "_NET_CURRENT_DESKTOP"},
                                   {&a.showingDesktop, "_NET_SHOWING_DESKTOP"},
                                   {&a.wmPid, "_NET_WM_PID"},
                                   {&a.wmWindowType, "_NET_WM_WINDOW_TYPE"},
                                   {&a.wmState, "_NET_WM_STATE"},
                                   {&a.frameExtents, "_NET_FRAME_EXTENTS"},
                                   {&a.icccmWmState, "WM_STATE"},
                                   {&a.gtkApplicationId, "_GTK_APPLICATION_ID"},
                                   {&a.utf8String, "UTF8_STRING"},
                                   {&a.edid, "EDID"},
                                   {&a.stateHidden, "_NET_WM_STATE_HIDDEN"},
                                   {&a.stateSkipTaskbar, "_NET_WM_STATE_SKIP_TASKBAR"},
                                   {&a.stateAbove, "_NET_WM_STATE_ABOVE"},
                                   {&a.typeDesktop, "_NET_WM_WINDOW_TYPE_DESKTOP"},
                                   {&a.typeDock, "_NET_WM_WINDOW_TYPE_DOCK"},
                                   {&a.typeToolbar, "_NET_WM_WINDOW_TYPE_TOOLBAR"},
                                   {&a.typeMenu, "_NET_WM_WINDOW_TYPE_MENU"},
                                   {&a.typeUtility, "_NET_WM_WINDOW_TYPE_UTILITY"},
                                   {&a.typeSplash, "_NET_WM_WINDOW_TYPE_SPLASH"},
                                   {&a.typeDialog, "_NET_WM_WINDOW_TYPE_DIALOG"},
                                   {&a.typeDropdownMenu, "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU"},
                                   {&a.typePopupMenu, "_NET_WM_WINDOW_TYPE_POPUP_MENU"},
                                   {&a.typeTooltip, "_NET_WM_WINDOW_TYPE_TOOLTIP"},
                                   {&a.typeNotification, "_NET_WM_WINDOW_TYPE_NOTIFICATION"},
                                   {&a.typeCombo, "_NET_WM_WINDOW_TYPE_COMBO"},
                                   {&a.typeDnd, "_NET_WM_WINDOW_TYPE_DND"},
                                   {&a.typeNormal, "_NET_WM_WINDOW_TYPE_NORMAL"}});
    noteRoundTrip();
}

int X11Desktop::fileDescriptor() const {
    return xcb_get_file_descriptor(connection_);
}

bool X11Desktop::isConnected() const {
    return xcb_connection_has_error(connection_) == 0;
}

void X11Desktop::setConnectionLostHandler(std::function<void()> handler) {
    connectionLost_ = std::move(handler);
}

bool X11Desktop::checkConnection() {
    if (isConnected()) {
        return true;
    }
    if (!connectionLostReported_) {
        connectionLostReported_ = true;
        if (connectionLost_) {
            connectionLost_();
        } else {
            std::fprintf(stderr, "[X11] Lost the connection to the X server; exiting\n");
            std::exit(1);
        }
    }
    return false;
}

// ---- events ---------------------------------------------------------------------------------

void X11Desktop::drainEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        handleEvent(*event);
        std::free(event);
    }
    checkConnection();
}

void X11Desktop::handleError(const xcb_generic_error_t& error) {
    ++errors_;
    if (error.error_code == kBadWindow || error.error_code == kBadDrawable) {
        // A window that vanished between the list and our requests: forget it.
        if (clients_.erase(error.resource_id) > 0) {
            listDirty_ = true;
            applicationsDirty_ = true;
        }
    }
}

void X11Desktop::handleEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    const Atoms& a = *atoms_;
    if (type == 0) {
        handleError(reinterpret_cast<const xcb_generic_error_t&>(event));
        return;
    }
    if (randrEventBase_ != 0 && (type == randrEventBase_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                                 type == randrEventBase_ + XCB_RANDR_NOTIFY)) {
        // Of the output properties only the EDID names a display; others (a backlight level)
        // change often and leave the displays as they are.
        if (type == randrEventBase_ + XCB_RANDR_NOTIFY) {
            const auto& e = reinterpret_cast<const xcb_randr_notify_event_t&>(event);
            if (e.subCode == XCB_RANDR_NOTIFY_OUTPUT_PROPERTY && e.u.op.atom != a.edid) {
                return;
            }
        }
        screensChanged_ = true;
        return;
    }
    // Our own windows too: they are part of the order.
    rootStacking_->handleEvent(event);
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
            } else if (e.atom == a.currentDesktop) {
                spaceChanged_ = true;
            } else if (e.atom == a.activeWindow) {
                activeDirty_ = true;
                activeWindowDirty_ = true;
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
            rootWidth_ = e.width;
            rootHeight_ = e.height;
            // The server announces added or removed RandR monitors only this way (no RandR
            // event), and a resized root means the displays changed too.
            screensChanged_ = true;
        } else if (e.event == root_) {
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
                applicationsDirty_ = true;
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

void X11Desktop::schedulePendingDeliveries() {
    if (deliveryScheduled_ || !(activeDirty_ || spaceChanged_ || screensChanged_)) {
        return;
    }
    deliveryScheduled_ = true;
    std::weak_ptr<X11Desktop*> weak = self_;
    queue_.post([weak] {
        if (auto self = weak.lock()) {
            (*self)->deliveryScheduled_ = false;
            (*self)->deliverPending();
        }
    });
}

void X11Desktop::processEvents() {
    drainEvents();
    deliverPending();
}

void X11Desktop::deliverPending() {
    if (!isConnected()) {
        return;
    }
    if (screensChanged_) {
        screensChanged_ = false;
        refreshMonitors();
        allGeometryDirty_ = true; // window bounds are relative to the primary display
        screensSubject_.send({});
    }
    if (spaceChanged_) {
        spaceChanged_ = false;
        spaceSubject_.send({});
    }
    if (activeDirty_) {
        const auto before = activeOwner_;
        refreshActiveOwner();
        if (activeOwner_ && activeOwner_ != before) {
            // A window mapped a moment ago is active before any refresh has read it: read the
            // list and the windows now, or the application could not be named.
            refreshWindows();
            activated_.send(runningApplication(*activeOwner_));
        }
    }
    // Our own reply waits may have queued more events.
    drainEvents();
    schedulePendingDeliveries();
    xcb_flush(connection_);
}

void X11Desktop::refreshActiveOwner() {
    activeDirty_ = false;
    if (activeWindowDirty_) {
        readActiveWindow(requestActiveWindow());
        noteRoundTrip();
    }
    activeOwner_ =
        activeWindow_ != XCB_WINDOW_NONE ? ownerOf(activeWindow_) : std::optional<ProcessID>();
}

xcb_get_property_cookie_t X11Desktop::requestActiveWindow() {
    activeWindowDirty_ = false;
    return xcb_get_property(connection_, 0, root_, atoms_->activeWindow, XCB_ATOM_WINDOW, 0, 1);
}

void X11Desktop::readActiveWindow(xcb_get_property_cookie_t cookie) {
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection_, cookie, nullptr));
    const auto values = propertyValues(reply.get(), XCB_ATOM_WINDOW);
    activeWindow_ = values.empty() ? xcb_window_t{XCB_WINDOW_NONE} : values[0];
}

std::optional<ProcessID> X11Desktop::ownerOf(xcb_window_t window) {
    if (auto it = clients_.find(window); it != clients_.end() && !it->second.propertiesDirty) {
        return it->second.pid;
    }
    const auto pidCookie =
        xcb_get_property(connection_, 0, window, atoms_->wmPid, XCB_ATOM_CARDINAL, 0, 1);
    const auto processIds = readProcessIds(requestProcessIds({window}));
    xcb_generic_error_t* error = nullptr;
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection_, pidCookie, &error));
    noteRoundTrip();
    if (error != nullptr) {
        // Gone already.
        ++errors_;
        std::free(error);
        return std::nullopt;
    }
    return processOf(window, reply.get(), processIds);
}

void X11Desktop::ignoreStructureEvents(xcb_window_t window, bool ignore) {
    if (ignore) {
        ignored_.insert(window);
    } else {
        ignored_.erase(window);
    }
}

// ---- window list ----------------------------------------------------------------------------

void X11Desktop::invalidateCache() {
    clients_.clear();
    listDirty_ = true;
    allGeometryDirty_ = true;
    applicationsDirty_ = true;
}

void X11Desktop::refreshList() {
    const Atoms& a = *atoms_;
    auto stackingCookie =
        xcb_get_property(connection_, 0, root_, a.clientListStacking, XCB_ATOM_WINDOW, 0, 65536);
    auto showingCookie =
        xcb_get_property(connection_, 0, root_, a.showingDesktop, XCB_ATOM_CARDINAL, 0, 1);
    noteRoundTrip();
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

void X11Desktop::syncManaged() {
    std::vector<xcb_window_t> managed;
    if (fallbackList_) {
        // The root's children; those that carry WM_STATE are the managed ones.
        for (const auto& child : rootStacking_->children()) {
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
    applicationsDirty_ = true;
    // Forget windows that left the list.
    std::unordered_map<xcb_window_t, Client> kept;
    for (auto window : managed_) {
        auto it = clients_.find(window);
        kept.emplace(window, it != clients_.end() ? std::move(it->second) : Client{});
    }
    clients_ = std::move(kept);
}

void X11Desktop::refreshWindows() {
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
                               ? rootStacking_->indexOf(it->second.frame)
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
        applicationsDirty_ = true;
    }
}

ProcessID X11Desktop::standInProcess(xcb_window_t window) const {
    // The server's number of the connection that made the window, negated: no process has it.
    const std::uint32_t client = (window & clientIdMask_) >> std::countr_zero(clientIdMask_);
    return -static_cast<ProcessID>(client);
}

std::optional<xcb_res_query_client_ids_cookie_t>
X11Desktop::requestProcessIds(const std::vector<xcb_window_t>& windows) {
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
X11Desktop::readProcessIds(std::optional<xcb_res_query_client_ids_cookie_t> cookie) {
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
X11Desktop::processOf(xcb_window_t window, const xcb_get_property_reply_t* pidProperty,
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

void X11Desktop::refreshClients() {
    const Atoms& a = *atoms_;
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
        if (client.frame == 0 && (fallbackList_ || rootStacking_->contains(window))) {
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
    noteRoundTrip();

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
                ++errors_;
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
            if (tree && (tree->parent == root_ || rootStacking_->contains(tree->parent))) {
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
    applicationsDirty_ = true;
}

void X11Desktop::climbToFrames(std::vector<std::pair<xcb_window_t, xcb_window_t>> climbing) {
    // Frames within frames (a wrapper between frame and client): one level a round trip, for all
    // such clients at once. Deeper than any window manager nests.
    for (int level = 0; level < 8 && !climbing.empty(); ++level) {
        std::vector<xcb_query_tree_cookie_t> cookies;
        cookies.reserve(climbing.size());
        for (const auto& [client, ancestor] : climbing) {
            cookies.push_back(xcb_query_tree(connection_, ancestor));
        }
        noteRoundTrip();
        std::vector<std::pair<xcb_window_t, xcb_window_t>> higher;
        for (std::size_t i = 0; i < climbing.size(); ++i) {
            const auto [client, ancestor] = climbing[i];
            Reply<xcb_query_tree_reply_t> tree(
                xcb_query_tree_reply(connection_, cookies[i], nullptr));
            auto it = clients_.find(client);
            if (!tree || it == clients_.end()) {
                continue;
            }
            if (tree->parent == root_ || rootStacking_->contains(tree->parent)) {
                it->second.frame = tree->parent == root_ ? ancestor : tree->parent;
            } else {
                higher.emplace_back(client, tree->parent);
            }
        }
        climbing = std::move(higher);
    }
}

std::optional<WindowSnapshot> X11Desktop::captureSnapshot() {
    drainEvents();
    if (!isConnected()) {
        return std::nullopt;
    }
    // Asked before the windows are read, so that its answer comes with theirs.
    std::optional<xcb_get_property_cookie_t> active;
    if (activeWindowDirty_) {
        active = requestActiveWindow();
    }
    const auto roundTripsBefore = roundTrips_;
    refreshWindows();
    if (active) {
        readActiveWindow(*active);
        if (roundTrips_ == roundTripsBefore) {
            noteRoundTrip();
        }
    }
    // Events that arrived while we waited for replies.
    drainEvents();
    schedulePendingDeliveries();
    if (!isConnected()) {
        return std::nullopt;
    }

    // Bounds are relative to the primary display's top-left corner.
    std::int32_t originX = 0;
    std::int32_t originY = 0;
    if (!monitors_.empty()) {
        originX = monitors_.front().x;
        originY = monitors_.front().y;
    }
    WindowSnapshot snapshot;
    if (activeWindow_ != XCB_WINDOW_NONE) {
        snapshot.activeWindow = static_cast<WindowNumber>(activeWindow_);
    }
    snapshot.windowInfo.reserve(stacking_.size() + 1);
    if (showingDesktop_) {
        snapshot.windowInfo.push_back(WindowInfo{
            static_cast<WindowNumber>(root_), kWindowManagerPID, WindowSnapshot::kOverviewLayer,
            WindowBounds{-static_cast<double>(originX), -static_cast<double>(originY),
                         static_cast<double>(rootWidth_), static_cast<double>(rootHeight_)}});
    }
    for (auto window : stacking_) {
        auto it = clients_.find(window);
        if (it == clients_.end()) {
            continue;
        }
        const Client& c = it->second;
        // On screen is what the server shows: window managers unmap the windows of other
        // workspaces, while one workspace a monitor shows several desktop numbers at once.
        if (!c.viewable || c.hidden || c.isDesktop || (fallbackList_ && !c.hasWmState)) {
            continue;
        }
        WindowInfo info;
        info.number = static_cast<WindowNumber>(window);
        info.ownerPID = c.pid;
        info.layer = c.layer;
        // The outer rectangle: the window, its border, and the frame's decorations around it.
        const double border = c.border;
        info.bounds = WindowBounds{
            static_cast<double>(c.rootX) - border - c.left - originX,
            static_cast<double>(c.rootY) - border - c.top - originY,
            static_cast<double>(c.width) + 2 * border + (c.width > 0 ? c.left + c.right : 0),
            static_cast<double>(c.height) + 2 * border + (c.height > 0 ? c.top + c.bottom : 0)};
        snapshot.windowInfo.push_back(info);
    }
    return snapshot;
}

// ---- screens --------------------------------------------------------------------------------

void X11Desktop::refreshMonitors() {
    monitors_.clear();
    if (hasMonitors_) {
        Reply<xcb_randr_get_monitors_reply_t> reply(xcb_randr_get_monitors_reply(
            connection_, xcb_randr_get_monitors(connection_, root_, 1), nullptr));
        noteRoundTrip();
        if (reply) {
            struct Lookup {
                xcb_get_atom_name_cookie_t name;
                std::optional<xcb_randr_get_output_info_cookie_t> output;
                std::optional<xcb_randr_get_output_property_cookie_t> edid;
            };
            std::vector<Lookup> lookups;
            for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem > 0;
                 xcb_randr_monitor_info_next(&it)) {
                const auto* info = it.data;
                Monitor m;
                m.name = info->name;
                m.primary = info->primary != 0;
                m.x = info->x;
                m.y = info->y;
                m.width = info->width;
                m.height = info->height;
                Lookup lookup{xcb_get_atom_name(connection_, info->name), {}, {}};
                if (xcb_randr_monitor_info_outputs_length(info) > 0) {
                    const auto output = xcb_randr_monitor_info_outputs(info)[0];
                    lookup.output =
                        xcb_randr_get_output_info(connection_, output, XCB_CURRENT_TIME);
                    lookup.edid = xcb_randr_get_output_property(connection_, output, atoms_->edid,
                                                                XCB_ATOM_ANY, 0, 256, 0, 0);
                }
                monitors_.push_back(m);
                lookups.push_back(lookup);
            }
            if (!lookups.empty()) {
                noteRoundTrip();
            }
            for (std::size_t i = 0; i < lookups.size(); ++i) {
                Monitor& m = monitors_[i];
                Reply<xcb_get_atom_name_reply_t> name(
                    xcb_get_atom_name_reply(connection_, lookups[i].name, nullptr));
                if (name) {
                    m.localizedName.assign(
                        xcb_get_atom_name_name(name.get()),
                        static_cast<std::size_t>(xcb_get_atom_name_name_length(name.get())));
                }
                std::string outputName;
                if (lookups[i].output) {
                    Reply<xcb_randr_get_output_info_reply_t> output(
                        xcb_randr_get_output_info_reply(connection_, *lookups[i].output, nullptr));
                    if (output) {
                        outputName.assign(reinterpret_cast<const char*>(
                                              xcb_randr_get_output_info_name(output.get())),
                                          static_cast<std::size_t>(
                                              xcb_randr_get_output_info_name_length(output.get())));
                    }
                }
                std::string edid;
                if (lookups[i].edid) {
                    Reply<xcb_randr_get_output_property_reply_t> property(
                        xcb_randr_get_output_property_reply(connection_, *lookups[i].edid,
                                                            nullptr));
                    if (property && property->format == 8) {
                        edid.assign(reinterpret_cast<const char*>(
                                        xcb_randr_get_output_property_data(property.get())),
                                    static_cast<std::size_t>(
                                        xcb_randr_get_output_property_data_length(property.get())));
                    }
                }
                if (!edid.empty()) {
                    m.uuid = nameBasedUuid("edid:" + edid);
                } else if (!outputName.empty()) {
                    m.uuid = nameBasedUuid("output:" + outputName);
                }
            }
            std::stable_partition(monitors_.begin(), monitors_.end(),
                                  [](const Monitor& m) { return m.primary; });
            // Monitors that show one rectangle (mirrored) are one display: the first stays.
            for (auto it = monitors_.begin(); it != monitors_.end();) {
                const bool mirrored = std::any_of(monitors_.begin(), it, [&](const Monitor& m) {
                    return m.x == it->x && m.y == it->y && m.width == it->width &&
                           m.height == it->height;
                });
                it = mirrored ? monitors_.erase(it) : it + 1;
            }
        }
    }
    if (monitors_.empty()) {
        // No RandR monitors: the whole root is one display without a number.
        Monitor whole;
        whole.width = rootWidth_;
        whole.height = rootHeight_;
        whole.localizedName = "screen";
        monitors_.push_back(whole);
    }
}

std::vector<Screen> X11Desktop::screens() const {
    std::vector<Screen> result;
    result.reserve(monitors_.size());
    const Monitor& primary = monitors_.front();
    for (const auto& m : monitors_) {
        Screen screen;
        if (m.name != XCB_ATOM_NONE) {
            screen.displayNumber = m.name;
        }
        // Flip around the primary display, whose origin becomes (0, 0).
        screen.frame = Rect{static_cast<double>(m.x - primary.x),
                            static_cast<double>(primary.height) - (m.y - primary.y) - m.height,
                            static_cast<double>(m.width), static_cast<double>(m.height)};
        screen.localizedName = m.localizedName;
        result.push_back(std::move(screen));
    }
    return result;
}

DisplayID X11Desktop::mainDisplayID() const {
    return monitors_.front().name;
}

std::optional<std::string> X11Desktop::displayUUID(DisplayID display) const {
    for (const auto& m : monitors_) {
        if (m.name != XCB_ATOM_NONE && m.name == display) {
            return m.uuid;
        }
    }
    return std::nullopt;
}

// ---- applications ---------------------------------------------------------------------------

void X11Desktop::rebuildApplications() const {
    applicationsDirty_ = false;
    applications_.clear();
    // Front to back: the front-most window of a process names its application.
    for (auto window : stacking_) {
        auto it = clients_.find(window);
        // A client whose properties changed since they were read keeps its last-read values
        // until the next snapshot reads them, as the window list does: an event that arrives
        // during a snapshot must not drop its application for a poll.
        if (it == clients_.end() || !it->second.pid) {
            continue;
        }
        const Client& c = it->second;
        // Without the stacking list the root's children include unmanaged windows (menus,
        // tooltips, override-redirect windows); only managed ones make an application.
        if (fallbackList_ && !c.hasWmState) {
            continue;
        }
        const bool regular = c.isNormalOrDialog && !c.skipTaskbar && !c.isDesktop;
        auto [entry, inserted] = applications_.try_emplace(*c.pid);
        RunningApplication& app = entry->second;
        if (inserted) {
            app.processIdentifier = *c.pid;
            app.activationPolicy = ActivationPolicy::accessory;
        }
        if (!inserted && (app.activationPolicy == ActivationPolicy::regular || !regular)) {
            continue;
        }
        if (regular) {
            app.activationPolicy = ActivationPolicy::regular;
        }
        const auto* desktopEntry = entries_->find(c.instance, c.windowClass);
        if (!c.gtkApplicationId.empty()) {
            app.bundleIdentifier = c.gtkApplicationId;
        } else if (desktopEntry != nullptr) {
            app.bundleIdentifier = desktopEntry->id;
        } else if (!c.windowClass.empty()) {
            app.bundleIdentifier = c.windowClass;
        } else {
            app.bundleIdentifier.reset();
        }
        app.localizedName = desktopEntry != nullptr
                                ? desktopEntry->name
                                : (c.windowClass.empty() ? c.instance : c.windowClass);
        app.iconPath = desktopEntry != nullptr ? desktopEntry->iconPath : std::string();
    }
    applications_[kWindowManagerPID] =
        RunningApplication{kWindowManagerPID, std::string(kOverviewOwnerKey), "Window manager",
                           ActivationPolicy::prohibited, ""};
}

std::optional<RunningApplication> X11Desktop::runningApplication(ProcessID pid) const {
    if (applicationsDirty_) {
        rebuildApplications();
    }
    auto it = applications_.find(pid);
    if (it == applications_.end()) {
        return std::nullopt;
    }
    return it->second;
}

// ---- workspace ------------------------------------------------------------------------------

std::optional<RunningApplication> X11Desktop::frontmostApplication() const {
    return activeOwner_ ? runningApplication(*activeOwner_) : std::nullopt;
}

Subscription X11Desktop::onApplicationActivated(ActivationHandler handler) {
    return activated_.subscribe(std::move(handler));
}

Subscription X11Desktop::onActiveSpaceChanged(std::function<void()> handler) {
    return spaceSubject_.subscribe(
        [handler = std::move(handler)](const std::monostate&) { handler(); });
}

Subscription X11Desktop::onScreenParametersChanged(std::function<void()> handler) {
    return screensSubject_.subscribe(
        [handler = std::move(handler)](const std::monostate&) { handler(); });
}

} // namespace tavrilux::x11
