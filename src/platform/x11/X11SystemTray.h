#pragma once

#include "core/async/MainQueue.h"
#include "core/platform/SystemTray.h"

#include <xcb/xcb.h>

#include <memory>
#include <optional>
#include <string>

namespace tavrilux::x11 {

// The XEmbed system tray of one screen: the window that owns _NET_SYSTEM_TRAY_S<screen> (the
// tray manager) and the foreground of the _NET_SYSTEM_TRAY_COLORS it sets on that window.
//
// Follows the manager's property changes, the MANAGER message a new tray sends to the root when
// it takes the selection over, and the manager window's destruction, so that colours set while
// we run, and a tray that is restarted, are seen at once.
//
// Uses a connection of its own; the main loop calls processEvents() whenever fileDescriptor()
// is readable. Main thread only.
class X11SystemTray final : public SystemTray {
public:
    // None, with the reason in `error`, when the server cannot be reached.
    static std::unique_ptr<X11SystemTray>
    connect(MainQueue& queue, const char* displayName = nullptr, std::string* error = nullptr);
    ~X11SystemTray() override;

    std::optional<Rgba> iconForeground() const override { return foreground_; }
    void setChangeHandler(ChangeHandler handler) override;

    // The tray manager followed now; XCB_WINDOW_NONE while no tray runs.
    xcb_window_t manager() const { return manager_; }

    int fileDescriptor() const;
    void processEvents();
    bool isConnected() const;

private:
    struct Atoms {
        xcb_atom_t selection = XCB_ATOM_NONE;
        xcb_atom_t colors = XCB_ATOM_NONE;
        xcb_atom_t manager = XCB_ATOM_NONE;
    };

    X11SystemTray(MainQueue& queue, xcb_connection_t* connection, xcb_window_t root, Atoms atoms);
    // Watches `manager` (none: no tray) and reads its colours.
    void follow(xcb_window_t manager);
    void readColours();

    MainQueue& queue_;
    xcb_connection_t* connection_;
    xcb_window_t root_;
    Atoms atoms_;
    xcb_window_t manager_ = XCB_WINDOW_NONE;
    std::optional<Rgba> foreground_;
    // Queued reports hold it weakly, so none runs once we are gone.
    std::shared_ptr<ChangeHandler> handler_;
};

} // namespace tavrilux::x11
