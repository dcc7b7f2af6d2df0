#include "platform/x11/X11Desktop.h"

#include "platform/x11/XcbProperty.h"
#include "platform/x11/XcbReply.h"

#include <xcb/randr.h>

#include <cstdio>
#include <cstdlib>

namespace tavrilux::x11 {

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
    : queue_(queue), connection_(connection), entries_(std::move(entries)),
      self_(std::make_shared<X11Desktop*>(this)) {
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
    atoms_ = X11DesktopAtoms::intern(connection_);
    ++counters_.roundTrips;
    windows_ = std::make_unique<X11WindowList>(connection_, root_, atoms_, counters_);
    // Selected above first, so that no change after the read is missed.
    windows_->start();

    const auto randr = X11Monitors::watch(
        connection_, root_,
        XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE |
            XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE | XCB_RANDR_NOTIFY_MASK_OUTPUT_PROPERTY);
    if (randr.eventBase != 0) {
        ++counters_.roundTrips;
    }
    randrEventBase_ = randr.eventBase;
    monitors_ = std::make_unique<X11Monitors>(connection_, root_, atoms_.edid, randr.hasMonitors);
    refreshMonitors();
    // The windows with the active one: whoever asks for the frontmost application before the
    // first refresh (the settings do, at start) gets it named.
    refreshActiveOwner();
    // Events that came in while we waited for the answers above.
    drainEvents();
    schedulePendingDeliveries();
    xcb_flush(connection_);
}

X11Desktop::~X11Desktop() {
    xcb_disconnect(connection_);
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

void X11Desktop::handleEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    if (type == 0) {
        ++counters_.errors;
        windows_->handleError(reinterpret_cast<const xcb_generic_error_t&>(event));
        return;
    }
    if (randrEventBase_ != 0 && (type == randrEventBase_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                                 type == randrEventBase_ + XCB_RANDR_NOTIFY)) {
        // Of the output properties only the EDID names a display; others (a backlight level)
        // change often and leave the displays as they are.
        if (type == randrEventBase_ + XCB_RANDR_NOTIFY) {
            const auto& e = reinterpret_cast<const xcb_randr_notify_event_t&>(event);
            if (e.subCode == XCB_RANDR_NOTIFY_OUTPUT_PROPERTY && e.u.op.atom != atoms_.edid) {
                return;
            }
        }
        screensChanged_ = true;
        return;
    }
    if (type == XCB_PROPERTY_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (e.window == root_ && e.atom == atoms_.currentDesktop) {
            spaceChanged_ = true;
        } else if (e.window == root_ && e.atom == atoms_.activeWindow) {
            activeDirty_ = true;
            activeWindowDirty_ = true;
        }
    } else if (type == XCB_CONFIGURE_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (e.window == root_) {
            rootWidth_ = e.width;
            rootHeight_ = e.height;
            // The server announces added or removed RandR monitors only this way (no RandR
            // event), and a resized root means the displays changed too.
            screensChanged_ = true;
        }
    }
    windows_->handleEvent(event);
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
        windows_->invalidateGeometry(); // window bounds are relative to the primary display
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
    // A window mapped a moment ago is active before any refresh has read it: the list and the
    // windows are read with the active window, or its application could not be named.
    refreshWindowsAndActive();
    activeOwner_ = activeWindow_ != XCB_WINDOW_NONE ? windows_->ownerOf(activeWindow_)
                                                    : std::optional<ProcessID>();
}

void X11Desktop::refreshWindowsAndActive() {
    // Asked before the windows are read, so that its answer comes with theirs.
    std::optional<xcb_get_property_cookie_t> active;
    if (activeWindowDirty_) {
        active = requestActiveWindow();
    }
    const auto roundTripsBefore = counters_.roundTrips;
    windows_->refresh();
    if (active) {
        readActiveWindow(*active);
        if (counters_.roundTrips == roundTripsBefore) {
            ++counters_.roundTrips;
        }
    }
}

xcb_get_property_cookie_t X11Desktop::requestActiveWindow() {
    activeWindowDirty_ = false;
    return xcb_get_property(connection_, 0, root_, atoms_.activeWindow, XCB_ATOM_WINDOW, 0, 1);
}

void X11Desktop::readActiveWindow(xcb_get_property_cookie_t cookie) {
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection_, cookie, nullptr));
    const auto values = propertyValues(reply.get(), XCB_ATOM_WINDOW);
    activeWindow_ = values.empty() ? xcb_window_t{XCB_WINDOW_NONE} : values[0];
}

void X11Desktop::ignoreStructureEvents(xcb_window_t window, bool ignore) {
    windows_->ignoreStructureEvents(window, ignore);
}

std::optional<X11TopLevelOwner> X11Desktop::ownerOfTopLevel(xcb_window_t frame) const {
    return windows_->ownerOfTopLevel(frame);
}

std::optional<xcb_window_t> X11Desktop::topLevelOf(xcb_window_t client) const {
    const X11WindowList::Client* c = windows_->client(client);
    return c != nullptr && c->frame != 0 ? std::optional<xcb_window_t>(c->frame) : std::nullopt;
}

// ---- window list ----------------------------------------------------------------------------

void X11Desktop::invalidateCache() {
    windows_->invalidate();
}

bool X11Desktop::usesStackingList() const {
    return windows_->usesStackingList();
}

std::optional<WindowSnapshot> X11Desktop::captureSnapshot() {
    drainEvents();
    if (!isConnected()) {
        return std::nullopt;
    }
    refreshWindowsAndActive();
    // Events that arrived while we waited for replies.
    drainEvents();
    schedulePendingDeliveries();
    if (!isConnected()) {
        return std::nullopt;
    }

    // Bounds are relative to the primary display's top-left corner.
    const std::int32_t originX = monitors_->primary().x;
    const std::int32_t originY = monitors_->primary().y;
    WindowSnapshot snapshot;
    if (activeWindow_ != XCB_WINDOW_NONE) {
        snapshot.activeWindow = static_cast<WindowNumber>(activeWindow_);
    }
    snapshot.windowInfo.reserve(windows_->stacking().size() + 1);
    if (windows_->showingDesktop()) {
        snapshot.windowInfo.push_back(WindowInfo{
            static_cast<WindowNumber>(root_), kWindowManagerPID, WindowSnapshot::kOverviewLayer,
            WindowBounds{-static_cast<double>(originX), -static_cast<double>(originY),
                         static_cast<double>(rootWidth_), static_cast<double>(rootHeight_)}});
    }
    for (auto window : windows_->stacking()) {
        const X11WindowList::Client* client = windows_->client(window);
        if (client == nullptr) {
            continue;
        }
        const X11WindowList::Client& c = *client;
        // On screen is what the server shows: window managers unmap the windows of other
        // workspaces, while one workspace a monitor shows several desktop numbers at once.
        if (!c.viewable || c.hidden || c.isDesktop || !windows_->counts(c)) {
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
    counters_.roundTrips += static_cast<std::uint64_t>(monitors_->reload(rootWidth_, rootHeight_));
}

std::vector<Screen> X11Desktop::screens() const {
    return monitors_->screens();
}

DisplayID X11Desktop::mainDisplayID() const {
    return monitors_->primary().name;
}

std::optional<std::string> X11Desktop::displayUUID(DisplayID display) const {
    return monitors_->displayUUID(display);
}

// ---- applications ---------------------------------------------------------------------------

namespace {

// The window's own contribution to its application's key and name.
bool namesAlike(const X11WindowList::Client& a, const X11WindowList::Client& b) {
    return a.gtkApplicationId == b.gtkApplicationId && a.windowClass == b.windowClass &&
           a.instance == b.instance;
}

} // namespace

bool X11Desktop::applicationsCurrent() const {
    // A new order changes an application only where its windows would name it differently.
    return applicationsClientsGeneration_ == windows_->clientsGeneration() &&
           (!namesFollowOrder_ || applicationsGeneration_ == windows_->generation());
}

void X11Desktop::rebuildApplications() const {
    applicationsGeneration_ = windows_->generation();
    applicationsClientsGeneration_ = windows_->clientsGeneration();
    namesFollowOrder_ = false;
    applications_.clear();
    // The window that named each application so far.
    std::unordered_map<ProcessID, const X11WindowList::Client*> namedBy;
    // Front to back: the front-most window of a process names its application.
    for (auto window : windows_->stacking()) {
        const X11WindowList::Client* client = windows_->client(window);
        // A client whose properties changed since they were read keeps its last-read values
        // until the next snapshot reads them, as the window list does: an event that arrives
        // during a snapshot must not drop its application for a poll.
        if (client == nullptr || !client->pid) {
            continue;
        }
        const X11WindowList::Client& c = *client;
        // Without the stacking list the root's children include unmanaged windows (menus,
        // tooltips, override-redirect windows); only managed ones make an application.
        if (!windows_->counts(c)) {
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
            // Put in front of the one that named it, this window would name it otherwise.
            const bool sameKind = (app.activationPolicy == ActivationPolicy::regular) == regular;
            namesFollowOrder_ = namesFollowOrder_ || (sameKind && !namesAlike(c, *namedBy[*c.pid]));
            continue;
        }
        namedBy[*c.pid] = client;
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
    if (!applicationsCurrent()) {
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
