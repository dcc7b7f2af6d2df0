#pragma once

#include "core/focus/Identifiers.h"
#include "platform/x11/X11Counters.h"
#include "platform/x11/X11DesktopAtoms.h"
#include "platform/x11/X11ProcessOwners.h"
#include "platform/x11/X11RootStacking.h"
#include "platform/x11/X11TopLevelOwner.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace tavrilux::x11 {

// The managed windows of an X desktop and what the window list reports of them, read once and
// then kept current by events.
//
// The windows are those _NET_CLIENT_LIST_STACKING names (or, when the window manager does not
// keep it, the root's children that carry WM_STATE), front to back in the order of their frames
// among the root's children, which the root's structure events keep current. The owner is
// X11ProcessOwners'. Every property is read once and then kept current by events, so a refresh of
// an unchanged desktop waits for no reply at all; a changed one waits twice (the list, then all
// requests of all changed windows sent before any reply is read), once more for each level of
// frames within frames.
//
// Only what an event names is read again: a window's properties when one of them changed, its
// geometry when it was configured, mapped or unmapped, and the windows a frame holds when that
// frame moved, was resized, mapped or unmapped. A frame's geometry is known from the events that
// announce it, so a frame restacked in place (a raise) reads nothing.
//
// The owner selects property and structure events on the root, passes every event and error it
// reads to handleEvent()/handleError(), and calls refresh() before it reads. Main thread only.
class X11WindowList final {
public:
    // Layers of the window list, after the classic window levels.
    static constexpr int kNormalLayer = 0;
    static constexpr int kFloatingLayer = 3;
    static constexpr int kDockLayer = 20;
    static constexpr int kNotificationLayer = 23;
    static constexpr int kPopupLayer = 101;
    static constexpr int kTooltipLayer = 102;

    struct Client {
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
        // Its place in its parent as read, to tell a configure that moved it from one that did not.
        std::int16_t x = 0, y = 0;
        std::string instance, windowClass, gtkApplicationId;
    };

    X11WindowList(xcb_connection_t* connection, xcb_window_t root, const X11DesktopAtoms& atoms,
                  X11Counters& counters);
    X11WindowList(const X11WindowList&) = delete;
    X11WindowList& operator=(const X11WindowList&) = delete;

    // Reads the root's children and their geometry (three round trips); events queued before are
    // then stale.
    void start();
    void handleEvent(const xcb_generic_event_t& event);
    void handleError(const xcb_generic_error_t& error);

    // The list, the windows and their order, as far as they changed.
    void refresh();
    // Forget every cached property: the next refresh reads all of them again.
    void invalidate();
    // Positions are read again at the next refresh (the displays moved, say).
    void invalidateGeometry() { allGeometryDirty_ = true; }
    // Our own top-level windows, whose structure events change nothing the list reports.
    void ignoreStructureEvents(xcb_window_t window, bool ignore);

    // The process of `window`, listed or not: from the cache when it is current, else asked.
    std::optional<ProcessID> ownerOf(xcb_window_t window);
    // The process and client of a listed window the top-level `frame` holds; none when it holds
    // none.
    std::optional<X11TopLevelOwner> ownerOfTopLevel(xcb_window_t frame) const;

    // Front to back.
    const std::vector<xcb_window_t>& stacking() const { return stacking_; }
    const Client* client(xcb_window_t window) const;
    bool showingDesktop() const { return showingDesktop_; }
    bool usesStackingList() const { return !fallbackList_; }
    // Only managed windows count in the fallback list (it holds menus, tooltips, ...).
    bool counts(const Client& client) const { return !fallbackList_ || client.hasWmState; }
    // Changes whenever a window, its properties, its place or the order changed.
    std::uint64_t generation() const { return generation_; }
    // Changes whenever windows came or went or their properties were read again, not with their
    // places or order.
    std::uint64_t clientsGeneration() const { return clientsGeneration_; }

private:
    // A child of the root as last read or announced.
    struct FrameGeometry {
        std::int16_t x = 0, y = 0;
        std::uint16_t width = 0, height = 0, border = 0;
        friend bool operator==(const FrameGeometry&, const FrameGeometry&) = default;
    };

    void handleStructureEvent(std::uint8_t type, const xcb_generic_event_t& event);
    void handleConfigure(const xcb_configure_notify_event_t& e);
    // Notes the geometry of a child of the root; true when it differs from what was known.
    bool noteFrame(xcb_window_t frame, const FrameGeometry& geometry);
    // The windows `frame` holds are read again; `lost`: it may hold them no more.
    void frameChanged(xcb_window_t frame, bool lost);
    void refreshList();
    void syncManaged();
    void refreshClients();
    void refreshOrder();
    void climbToFrames(std::vector<std::pair<xcb_window_t, xcb_window_t>> climbing);
    void changed() { ++generation_; }
    void clientsChanged() {
        ++clientsGeneration_;
        changed();
    }

    xcb_connection_t* connection_;
    xcb_window_t root_;
    const X11DesktopAtoms& atoms_;
    X11Counters& counters_;
    X11ProcessOwners owners_;

    X11RootStacking rootStacking_;
    std::unordered_map<xcb_window_t, Client> clients_;
    std::unordered_map<xcb_window_t, FrameGeometry> frames_;
    std::vector<xcb_window_t> listed_;   // the window manager's list, bottom to top
    std::vector<xcb_window_t> managed_;  // the windows followed, in the list's order
    std::vector<xcb_window_t> stacking_; // front to back
    std::unordered_set<xcb_window_t> ignored_;
    std::unordered_set<xcb_window_t> vanished_;
    bool listDirty_ = true;
    bool allGeometryDirty_ = true;
    // Some window is to be read at the next refresh (or its frame is still unknown).
    bool readsPending_ = true;
    // The generations the order was last worked out at: it changes only when the windows, their
    // frames or the root's order did.
    std::uint64_t orderedGeneration_ = ~std::uint64_t{0};
    std::uint64_t orderedRootGeneration_ = ~std::uint64_t{0};
    bool fallbackList_ = false;
    bool showingDesktop_ = false;
    std::uint64_t generation_ = 0;
    std::uint64_t clientsGeneration_ = 0;
};

} // namespace tavrilux::x11
