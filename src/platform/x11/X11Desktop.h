#pragma once

#include "core/async/MainQueue.h"
#include "core/platform/Applications.h"
#include "core/platform/Screens.h"
#include "core/platform/WindowServer.h"
#include "core/platform/Workspace.h"
#include "core/reactive/Subject.h"
#include "platform/linux/DesktopEntryIndex.h"
#include "platform/x11/X11DesktopAtoms.h"
#include "platform/x11/X11Monitors.h"
#include "platform/x11/X11TopLevels.h"
#include "platform/x11/X11WindowList.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <variant>
#include <vector>

namespace tavrilux::x11 {

// The desktop of an X server with an EWMH window manager, behind the window-list, screen,
// application and workspace ports.
//
// - Window list: X11WindowList's windows, front to back, of which those viewable and not hidden
//   are on screen. The snapshot's active window is _NET_ACTIVE_WINDOW.
// - Screens: X11Monitors, re-read on RandR notifications (output properties: the EDID only) and
//   on a ConfigureNotify of the root, by which the server announces monitors added or removed.
// - Applications: a process is regular when it owns a managed normal or dialog window that does
//   not skip the task bar; its key is _GTK_APPLICATION_ID, else the desktop entry matching
//   WM_CLASS, else the WM_CLASS class.
// - Workspace: activation = the owner of _NET_ACTIVE_WINDOW changed; Space = _NET_CURRENT_DESKTOP
//   changed; screen parameters = the screens were re-read. The show-desktop mode is reported as the
//   overview entry, owned by the window manager as process 0.
//
// Events are read when the main loop sees fileDescriptor() readable and calls processEvents();
// notifications are delivered from there. Whoever waits for replies on connection() themselves
// calls processEvents() afterwards: events read during a wait no longer wake the descriptor.
// An X error never ends the process: a window that vanished is dropped from the list. When the
// connection to the server breaks, the connection-lost handler runs (by default: a line on standard
// error and exit status 1). Main thread only.
class X11Desktop final : public WindowServer,
                         public Screens,
                         public Applications,
                         public Workspace,
                         public X11TopLevels {
public:
    // Window manager's stand-in process id (owner of the overview entry).
    static constexpr ProcessID kWindowManagerPID = 0;

    // Connects to `displayName` ($DISPLAY when null). None, with the reason in `error`, when the
    // server cannot be reached. `queue` runs the notification deliveries that event reads inside
    // a refresh leave pending.
    static std::unique_ptr<X11Desktop>
    connect(MainQueue& queue, const char* displayName = nullptr, std::string* error = nullptr,
            std::shared_ptr<const linux_platform::DesktopEntryIndex> entries = nullptr);
    ~X11Desktop() override;

    int fileDescriptor() const;
    // Reads every pending event and delivers the notifications they call for.
    void processEvents();
    bool isConnected() const;
    void setConnectionLostHandler(std::function<void()> handler);

    // WindowServer
    std::optional<WindowSnapshot> captureSnapshot() override;
    // Screens
    std::vector<Screen> screens() const override;
    DisplayID mainDisplayID() const override;
    std::optional<std::string> displayUUID(DisplayID display) const override;
    // Applications
    std::optional<RunningApplication> runningApplication(ProcessID pid) const override;
    // Workspace
    std::optional<RunningApplication> frontmostApplication() const override;
    Subscription onApplicationActivated(ActivationHandler handler) override;
    Subscription onActiveSpaceChanged(std::function<void()> handler) override;
    Subscription onScreenParametersChanged(std::function<void()> handler) override;

    // Our own top-level windows (overlays) move and restack often without changing anything the
    // window list reports: their structure events are ignored instead of re-reading positions.
    void ignoreStructureEvents(xcb_window_t window, bool ignore = true);
    // X11TopLevels
    std::optional<X11TopLevelOwner> ownerOfTopLevel(xcb_window_t frame) const override;
    std::optional<xcb_window_t> topLevelOf(xcb_window_t client) const override;

    // Measurements and test hooks.
    std::uint64_t roundTrips() const { return counters_.roundTrips; }
    std::uint64_t errorCount() const { return counters_.errors; }
    std::uint64_t windowReads() const { return counters_.windowReads; }
    // Forget every cached property: the next refresh reads all of them again.
    void invalidateCache();
    bool usesStackingList() const;
    xcb_connection_t* connection() const { return connection_; }
    xcb_window_t root() const { return root_; }

private:
    X11Desktop(MainQueue& queue, xcb_connection_t* connection, int screenNumber,
               std::shared_ptr<const linux_platform::DesktopEntryIndex> entries);

    // Reads queued events into the cache's dirty marks; no request, no delivery.
    void drainEvents();
    void handleEvent(const xcb_generic_event_t& event);
    bool checkConnection();
    void schedulePendingDeliveries();
    void deliverPending();

    void refreshMonitors();
    void refreshActiveOwner();
    void refreshWindowsAndActive();
    xcb_get_property_cookie_t requestActiveWindow();
    void readActiveWindow(xcb_get_property_cookie_t cookie);
    bool applicationsCurrent() const;
    void rebuildApplications() const;

    MainQueue& queue_;
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    std::uint16_t rootWidth_ = 0;
    std::uint16_t rootHeight_ = 0;
    X11DesktopAtoms atoms_;
    X11Counters counters_;
    std::shared_ptr<const linux_platform::DesktopEntryIndex> entries_;
    std::uint8_t randrEventBase_ = 0;

    std::unique_ptr<X11WindowList> windows_;
    std::unique_ptr<X11Monitors> monitors_;

    // Applications, rebuilt lazily after the window list changed.
    mutable std::uint64_t applicationsGeneration_ = ~std::uint64_t{0};
    mutable std::uint64_t applicationsClientsGeneration_ = ~std::uint64_t{0};
    // Some process has windows that would name it differently: a new order may rename it.
    mutable bool namesFollowOrder_ = false;
    mutable std::unordered_map<ProcessID, RunningApplication> applications_;

    // Workspace.
    std::optional<ProcessID> activeOwner_;
    xcb_window_t activeWindow_ = XCB_WINDOW_NONE;
    // The activation is yet to be delivered; the property is yet to be read.
    bool activeDirty_ = true;
    bool activeWindowDirty_ = true;
    bool spaceChanged_ = false;
    bool screensChanged_ = false;
    bool deliveryScheduled_ = false;
    std::shared_ptr<X11Desktop*> self_;
    Subject<std::optional<RunningApplication>> activated_;
    Subject<std::monostate> spaceSubject_;
    Subject<std::monostate> screensSubject_;

    std::function<void()> connectionLost_;
    bool connectionLostReported_ = false;
};

} // namespace tavrilux::x11
