#include "platform/x11/X11OverlayWindowFactory.h"

#include "platform/x11/X11DialogSettling.h"
#include "platform/x11/X11Monitors.h"
#include "platform/x11/X11OverlaySurfaces.h"
#include "platform/x11/X11OverlayWindow.h"
#include "platform/x11/X11RootStacking.h"
#include "platform/x11/XcbProperty.h"
#include "platform/x11/XcbReply.h"

#include <xcb/randr.h>
#include <xcb/res.h>
#include <xcb/shape.h>
#include <xcb/xfixes.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace tavrilux::x11 {
namespace {

// Whether the compositor blurs what lies behind a window that asks for it: KWin announces its
// blur as a property of the hint's name on the root window, others list the hint in
// _NET_SUPPORTED.
bool announcesBlurBehind(xcb_connection_t* c, xcb_window_t root, xcb_atom_t blurRegion,
                         xcb_atom_t supported) {
    const auto ownCookie =
        xcb_get_property(c, 0, root, blurRegion, XCB_GET_PROPERTY_TYPE_ANY, 0, 0);
    const auto listCookie = xcb_get_property(c, 0, root, supported, XCB_ATOM_ATOM, 0, 4096);
    auto own = reply(xcb_get_property_reply(c, ownCookie, nullptr));
    auto list = reply(xcb_get_property_reply(c, listCookie, nullptr));
    if (own && own->type != XCB_ATOM_NONE) {
        return true;
    }
    if (!list || list->format != 32) {
        return false;
    }
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(list.get()));
    const int n = xcb_get_property_value_length(list.get()) / 4;
    return std::find(atoms, atoms + n, blurRegion) != atoms + n;
}

} // namespace

std::unique_ptr<X11OverlayWindowFactory> X11OverlayWindowFactory::connect(MainQueue& queue,
                                                                          OverlayRenderer renderer,
                                                                          const char* displayName,
                                                                          std::string* error) {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(displayName, &screenNumber);
    if (c == nullptr || xcb_connection_has_error(c) != 0) {
        if (c != nullptr) {
            xcb_disconnect(c);
        }
        if (error != nullptr) {
            *error = "cannot connect to the X server";
        }
        return nullptr;
    }
    std::unique_ptr<X11OverlayWindowFactory> factory(
        new X11OverlayWindowFactory(queue, std::move(renderer), c, screenNumber));
    if (factory->visual_ == 0) {
        if (error != nullptr) {
            *error = "the X server offers no 32-bit TrueColor visual";
        }
        return nullptr;
    }
    return factory;
}

X11OverlayWindowFactory::X11OverlayWindowFactory(MainQueue& queue, OverlayRenderer renderer,
                                                 xcb_connection_t* connection, int screenNumber)
    : queue_(queue), renderer_(std::move(renderer)), connection_(connection),
      self_(std::make_shared<X11OverlayWindowFactory*>(this)) {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) {
        xcb_screen_next(&it);
    }
    xcb_screen_t* screen = it.data;
    root_ = screen->root;

    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem > 0 && visual_ == 0;
         xcb_depth_next(&depths)) {
        if (depths.data->depth != 32) {
            continue;
        }
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
             xcb_visualtype_next(&visuals)) {
            if (visuals.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR) {
                visual_ = visuals.data->visual_id;
                break;
            }
        }
    }
    if (visual_ != 0) {
        colormap_ = xcb_generate_id(connection_);
        xcb_create_colormap(connection_, XCB_COLORMAP_ALLOC_NONE, colormap_, root_, visual_);
    }

    atoms_ = X11OverlayAtoms::intern(connection_, screenNumber);
    clientIdMask_ = ~xcb_get_setup(connection_)->resource_id_mask;

    // The root's children and their order, from here on kept by their events; the root's own
    // ConfigureNotify announces monitors added or removed.
    const std::uint32_t rootMask =
        XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &rootMask);
    stacking_ = std::make_unique<X11RootStacking>(connection_, root_, true);
    stacking_->reload();

    // The displays the overlays cover, read again when they change.
    const auto randr = X11Monitors::watch(connection_, root_,
                                          XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE |
                                              XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE |
                                              XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE);
    randrEventBase_ = randr.eventBase;
    const std::string windowManager = windowManagerName();
    isKWin_ = windowManager == "KWin";
    isXfwm4_ = windowManager == "Xfwm4";
    managed_ = isKWin_;
    if (managed_) {
        // KWin lists its clients' order after every restack: the stacking is settled then.
        const std::uint32_t managedRootMask = rootMask | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &managedRootMask);
    }
    overlayWindowShown_ = overlayWindowExists();
    // KWin paints through the composite overlay window; others are seen doing it.
    usesOverlayWindow_ = isKWin_ || overlayWindowShown_;

    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(connection_, &xcb_shape_id);
    hasShape_ = shape != nullptr && shape->present != 0;
    surfaces_ = std::make_unique<X11OverlaySurfaces>(
        X11OverlaySurfaces::Setup{connection_, root_, visual_, colormap_, managed_, hasShape_,
                                  randr.hasMonitors},
        atoms_);
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection_, &xcb_xfixes_id);
    if (xfixes != nullptr && xfixes->present != 0) {
        auto version = reply(xcb_xfixes_query_version_reply(
            connection_, xcb_xfixes_query_version(connection_, 5, 0), nullptr));
        hasXfixes_ = version != nullptr;
        xfixesEventBase_ = xfixes->first_event;
        if (hasXfixes_) {
            xcb_xfixes_select_selection_input(
                connection_, root_, atoms_.compositorSelection,
                XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                    XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                    XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        }
    }

    backdropAvailable_ =
        announcesBlurBehind(connection_, root_, atoms_.blurRegion, atoms_.supported);
    readCompositorOwner();
    xcb_flush(connection_);
}

X11OverlayWindowFactory::~X11OverlayWindowFactory() {
    surfaces_.reset();
    if (colormap_ != 0) {
        xcb_free_colormap(connection_, colormap_);
    }
    // One round trip: when we return, the server has destroyed every overlay, so nothing of ours
    // is left on screen once the process has exited.
    if (xcb_connection_has_error(connection_) == 0) {
        std::free(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }
    xcb_disconnect(connection_);
}

int X11OverlayWindowFactory::fileDescriptor() const {
    return xcb_get_file_descriptor(connection_);
}

void X11OverlayWindowFactory::readCompositorOwner() {
    auto owner = reply(xcb_get_selection_owner_reply(
        connection_, xcb_get_selection_owner(connection_, atoms_.compositorSelection), nullptr));
    selectionOwned_ = owner && owner->owner != XCB_WINDOW_NONE;
    compositorOwner_ = owner ? owner->owner : xcb_window_t{XCB_WINDOW_NONE};
    updateCompositor();
}

bool X11OverlayWindowFactory::overlayWindowExists() {
    // The server owns one root window a screen and, while a compositor holds it, the composite
    // overlay window: counted without touching it (asking for it would make it).
    const auto* resources = xcb_get_extension_data(connection_, &xcb_res_id);
    if (resources == nullptr || resources->present == 0) {
        return true;
    }
    auto counts = reply(xcb_res_query_client_resources_reply(
        connection_, xcb_res_query_client_resources(connection_, root_), nullptr));
    if (!counts) {
        return true;
    }
    for (auto it = xcb_res_query_client_resources_types_iterator(counts.get()); it.rem > 0;
         xcb_res_type_next(&it)) {
        if (it.data->resource_type == XCB_ATOM_WINDOW) {
            return it.data->count >
                   static_cast<std::uint32_t>(xcb_setup_roots_length(xcb_get_setup(connection_)));
        }
    }
    return false;
}

std::string X11OverlayWindowFactory::windowManagerName() {
    auto check = reply(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, root_, atoms_.supportingCheck, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!check || check->format != 32 || xcb_get_property_value_length(check.get()) != 4) {
        return {};
    }
    const xcb_window_t wm = *static_cast<const xcb_window_t*>(xcb_get_property_value(check.get()));
    wmWindow_ = wm;
    auto name = reply(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, wm, atoms_.wmName, atoms_.utf8, 0, 64),
        nullptr));
    if (!name || name->format != 8) {
        return {};
    }
    return std::string(static_cast<const char*>(xcb_get_property_value(name.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(name.get())));
}

void X11OverlayWindowFactory::updateCompositor() {
    const bool present = selectionOwned_ && (overlayWindowShown_ || !usesOverlayWindow_);
    if (present == hasCompositor_ && (present || reportedMissingCompositor_)) {
        return;
    }
    hasCompositor_ = present;
    if (!present && !reportedMissingCompositor_) {
        reportedMissingCompositor_ = true;
        std::fprintf(stderr, "tavrilux: no compositing manager is running; overlays stay hidden "
                             "until one starts\n");
    }
    for (X11OverlayWindow* window : windows_) {
        window->compositorChanged(present);
    }
    xcb_flush(connection_);
}

void X11OverlayWindowFactory::catchUp() {
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    processEvents();
}

bool X11OverlayWindowFactory::isOwnTopLevel(xcb_window_t window) const {
    return std::any_of(windows_.begin(), windows_.end(), [window](const X11OverlayWindow* w) {
        return w->cachedTopLevel() == window;
    });
}

unsigned int X11OverlayWindowFactory::requestRestack(xcb_window_t window, xcb_window_t sibling,
                                                     bool below) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atoms_.restackWindow;
    event.data.data32[0] = 2; // from a pager: obeyed without the checks applications get
    event.data.data32[1] = sibling;
    event.data.data32[2] = below ? XCB_STACK_MODE_BELOW : XCB_STACK_MODE_ABOVE;
    return xcb_send_event(connection_, 0, root_,
                          XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                          reinterpret_cast<const char*>(&event))
        .sequence;
}

void X11OverlayWindowFactory::settleTransientsAbove(xcb_window_t anchor) {
    // KWin's stacking of its clients, bottom to top.
    auto listReply = reply(
        xcb_get_property_reply(connection_,
                               xcb_get_property(connection_, 0, root_, atoms_.clientListStacking,
                                                XCB_ATOM_WINDOW, 0, 4096),
                               nullptr));
    auto windows = propertyValues(listReply.get(), XCB_ATOM_WINDOW);
    windows.erase(windows.begin(), std::find(windows.begin(), windows.end(), anchor));
    if (windows.empty()) {
        return;
    }
    std::vector<std::pair<xcb_get_property_cookie_t, xcb_get_property_cookie_t>> cookies;
    cookies.reserve(windows.size());
    for (const xcb_window_t w : windows) {
        cookies.emplace_back(
            xcb_get_property(connection_, 0, w, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 0, 1),
            xcb_get_property(connection_, 0, w, atoms_.wmPid, XCB_ATOM_CARDINAL, 0, 1));
    }
    const auto single = [this](xcb_get_property_cookie_t cookie, xcb_atom_t type) {
        auto r = reply(xcb_get_property_reply(connection_, cookie, nullptr));
        const auto values = propertyValues(r.get(), type);
        return values.size() == 1 ? values[0] : std::uint32_t{0};
    };
    std::vector<std::optional<std::size_t>> parents;
    std::vector<std::uint32_t> processes;
    for (const auto& [transient, pid] : cookies) {
        const auto owner = static_cast<xcb_window_t>(single(transient, XCB_ATOM_WINDOW));
        const auto it = std::find(windows.begin(), windows.end(), owner);
        parents.push_back(owner != 0 && it != windows.end()
                              ? std::optional<std::size_t>(it - windows.begin())
                              : std::nullopt);
        processes.push_back(single(pid, XCB_ATOM_CARDINAL));
    }
    for (const auto& [dialog, parent] : dialogsToSettle(windows, parents, processes)) {
        requestRestack(dialog, parent, true);
    }
}

bool X11OverlayWindowFactory::managedEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    if (type == XCB_CONFIGURE_NOTIFY && (event.response_type & 0x80) != 0) {
        const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        for (X11OverlayWindow* window : windows_) {
            if (e.event != root_ && window->id() == e.window) {
                window->configureSent(e.sequence);
            }
        }
        return false;
    }
    if (type == XCB_PROPERTY_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (e.window != root_ || e.atom != atoms_.clientListStacking) {
            return false;
        }
        for (X11OverlayWindow* window : windows_) {
            window->stackingListed(e.sequence);
        }
        return true;
    }
    // The three carry the event window and the window at the same places.
    const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
    return (type == XCB_MAP_NOTIFY || type == XCB_UNMAP_NOTIFY || type == XCB_DESTROY_NOTIFY) &&
           e.event == root_;
}

void X11OverlayWindowFactory::drainSoon() {
    if (drainScheduled_) {
        return;
    }
    drainScheduled_ = true;
    std::weak_ptr<X11OverlayWindowFactory*> weakSelf = self_;
    queue_.post([weakSelf] {
        if (auto self = weakSelf.lock()) {
            (*self)->drainScheduled_ = false;
            (*self)->processEvents();
        }
    });
}

bool X11OverlayWindowFactory::handleEvent(const xcb_generic_event_t& event) {
    lastEventSequence_ = event.full_sequence;
    const std::uint8_t type = event.response_type & 0x7f;
    if (type == 0) {
        // Errors (a window that vanished before we restacked against it) are dropped.
        ++errors_;
        return false;
    }
    if (hasXfixes_ && type == xfixesEventBase_ + XCB_XFIXES_SELECTION_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
        selectionOwned_ = e.subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER &&
                          e.owner != XCB_WINDOW_NONE;
        compositorOwner_ = selectionOwned_ ? e.owner : xcb_window_t{XCB_WINDOW_NONE};
        if (!selectionOwned_) {
            usesOverlayWindow_ = isKWin_; // the next compositor may paint otherwise
        }
        updateCompositor();
        return false;
    }
    if (randrEventBase_ != 0 && (type == randrEventBase_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                                 type == randrEventBase_ + XCB_RANDR_NOTIFY)) {
        surfaces_->displaysMayHaveChanged();
        return false;
    }
    if (type == XCB_CONFIGURE_NOTIFY &&
        reinterpret_cast<const xcb_configure_notify_event_t&>(event).window == root_) {
        surfaces_->displaysMayHaveChanged();
        return false;
    }
    if (managed_) {
        settled_ = managedEvent(event) || settled_;
    }
    const auto generation = stacking_->generation();
    exposeIfLowered(event); // against the order before the event
    stacking_->handleEvent(event);
    handleStructureEvent(event);
    return stacking_->generation() != generation;
}

void X11OverlayWindowFactory::readEvents() {
    bool changed = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        changed = handleEvent(*event) || changed;
        std::free(event);
    }
    if (changed || surfaces_->displaysChangePending() || settled_) {
        drainSoon();
    }
}

void X11OverlayWindowFactory::processEvents() {
    bool changed = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        changed = handleEvent(*event) || changed;
        std::free(event);
    }
    // Windows kept for displays that went away go at once, not at the next overlay.
    surfaces_->refreshDisplays();
    // Put back what the stacking moved (after a readEvents() nothing changed here, so always);
    // managed overlays only where KWin is done restacking: it listed its new order, a window
    // came or went, or our own request has had its result.
    if (!managed_ || std::exchange(settled_, false)) {
        for (X11OverlayWindow* window : windows_) {
            window->keepInPlace();
        }
    }
    xcb_flush(connection_);
    if (changed) {
        drainSoon();
    }
}

void X11OverlayWindowFactory::exposeIfLowered(const xcb_generic_event_t& event) {
    // xfwm4 repaints a restacked window's area less the opaque windows now above it, but an
    // exposed area of the root in full.
    if ((event.response_type & 0x7f) != XCB_CONFIGURE_NOTIFY || !isXfwm4_ ||
        compositorOwner_ != wmWindow_) {
        return;
    }
    const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
    const auto ours = [this](const X11RootStacking::Child& c) { return isOwnTopLevel(c.window); };
    if (e.event != root_ || !isOwnTopLevel(e.window) ||
        !stacking_->lowersPast(e.window, e.above_sibling, ours)) {
        return;
    }
    const int x = std::max(0, static_cast<int>(e.x));
    const int y = std::max(0, static_cast<int>(e.y));
    const int right = e.x + e.width + 2 * e.border_width;
    const int bottom = e.y + e.height + 2 * e.border_width;
    if (right <= x || bottom <= y) {
        return;
    }
    xcb_expose_event_t expose{};
    expose.response_type = XCB_EXPOSE;
    expose.window = root_;
    expose.x = static_cast<std::uint16_t>(x);
    expose.y = static_cast<std::uint16_t>(y);
    expose.width = static_cast<std::uint16_t>(right - x);
    expose.height = static_cast<std::uint16_t>(bottom - y);
    xcb_send_event(connection_, 0, root_, XCB_EVENT_MASK_EXPOSURE,
                   reinterpret_cast<const char*>(&expose));
    xcb_flush(connection_);
    ++exposures_;
}

void X11OverlayWindowFactory::handleStructureEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    if (type != XCB_MAP_NOTIFY && type != XCB_UNMAP_NOTIFY && type != XCB_DESTROY_NOTIFY) {
        return;
    }
    // The three carry the event window and the window at the same places.
    const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
    if (type == XCB_DESTROY_NOTIFY) {
        // One of ours destroyed by someone else: never handed out or destroyed again.
        surfaces_->forget(e.window);
        for (X11OverlayWindow* window : windows_) {
            if (window->id() == e.window) {
                window->surfaceDestroyed();
            }
        }
    }
    if (e.event == root_ && isServerWindow(e.window)) {
        // The composite overlay window, the one root child the server makes itself.
        overlayWindowShown_ = type == XCB_MAP_NOTIFY;
        usesOverlayWindow_ = usesOverlayWindow_ || (overlayWindowShown_ && selectionOwned_);
        updateCompositor();
    } else if (type == XCB_MAP_NOTIFY && e.event == e.window) {
        for (X11OverlayWindow* window : windows_) {
            if (window->id() == e.window) {
                window->managedWindowShown();
            }
        }
    }
}

std::optional<xcb_window_t> X11OverlayWindowFactory::frameOf(xcb_window_t client) {
    if (stacking_->contains(client)) {
        return client;
    }
    // The window list follows the frames of the windows it lists: no question to the server.
    if (topLevels_ != nullptr) {
        if (const auto frame = topLevels_->topLevelOf(client);
            frame && stacking_->contains(*frame)) {
            return frame;
        }
    }
    drainSoon();
    xcb_window_t window = client;
    for (int depth = 0; depth < 16; ++depth) {
        auto tree =
            reply(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
        if (!tree) {
            return std::nullopt;
        }
        if (tree->parent == root_ || tree->parent == XCB_WINDOW_NONE) {
            return window;
        }
        window = tree->parent;
    }
    return std::nullopt;
}

std::optional<X11TopLevelOwner> X11OverlayWindowFactory::ownerOfTopLevel(xcb_window_t frame) const {
    if (topLevels_ == nullptr || frame == 0) {
        return std::nullopt;
    }
    return topLevels_->ownerOfTopLevel(frame);
}

std::unique_ptr<OverlayWindowPort>
X11OverlayWindowFactory::makeWindow(const Rect& frame, const OverlayPaintSource& source) {
    readEvents();
    auto surface = surfaces_->take(frame);
    xcb_flush(connection_);
    return std::make_unique<X11OverlayWindow>(*this, source, std::move(surface));
}

void X11OverlayWindowFactory::setWindowLifecycleHandler(
    std::function<void(xcb_window_t, bool alive)> handler) {
    surfaces_->setLifecycleHandler(std::move(handler));
}

std::uint64_t X11OverlayWindowFactory::createdWindowCount() const {
    return surfaces_->createdCount();
}

std::size_t X11OverlayWindowFactory::keptWindowCount() const {
    return surfaces_->keptCount();
}

void X11OverlayWindowFactory::keepSurface(std::unique_ptr<X11OverlaySurface> surface) {
    surfaces_->keep(std::move(surface));
    xcb_flush(connection_);
}

} // namespace tavrilux::x11
