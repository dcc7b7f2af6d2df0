#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavrilux::testdesktop {

// A test's own hands on a test desktop: asks the window manager to activate, move or show the
// desktop, and reads back what it did. Every call waits for the server's answer.
class DesktopControl final {
public:
    struct Geometry {
        int x = 0, y = 0, width = 0, height = 0;
        friend bool operator==(const Geometry&, const Geometry&) = default;
    };
    struct Colour {
        int red = 0, green = 0, blue = 0;
    };

    explicit DesktopControl(const std::string& display);
    ~DesktopControl();
    DesktopControl(const DesktopControl&) = delete;
    DesktopControl& operator=(const DesktopControl&) = delete;

    xcb_connection_t* connection() const { return connection_; }
    xcb_window_t root() const { return root_; }
    xcb_atom_t atom(const std::string& name);

    // _NET_CLIENT_LIST_STACKING, bottom to top.
    std::vector<xcb_window_t> stackingList();
    std::optional<xcb_window_t> activeWindow();
    // Managed: listed by the window manager and viewable.
    bool isManaged(xcb_window_t window);
    bool waitForManaged(const std::vector<xcb_window_t>& windows,
                        std::chrono::milliseconds timeout = std::chrono::seconds(10));

    void activate(xcb_window_t window);
    // As a program can, without the window manager's activation: raise `window` without giving
    // it the focus, or give it the focus without raising it.
    void raise(xcb_window_t window);
    void focus(xcb_window_t window);
    // As XLowerWindow asks it: a configure request on the client with stack mode Below and no
    // sibling, left to the window manager to carry out as it sees fit.
    void lower(xcb_window_t window);
    // Asks the window manager to put the frame of `window` at (x, y) in root coordinates.
    void moveFrame(xcb_window_t window, int x, int y);
    void setShowingDesktop(bool shown);
    // Adds or removes a _NET_WM_STATE_... state ("ABOVE", "BELOW", "STICKY") of `window`.
    void setState(xcb_window_t window, const std::string& state, bool on);
    // Puts `window` on the numbered desktop; 0xFFFFFFFF is every desktop.
    void moveToDesktop(xcb_window_t window, std::uint32_t desktop);
    // Switches to the numbered desktop (0 is the first).
    void switchDesktop(int index);
    void deleteRootProperty(const std::string& name);
    void destroy(xcb_window_t window);
    // Asks the window manager to close `window`, as its close button does.
    void requestClose(xcb_window_t window);

    // The window manager's frame around `window` (its top-level ancestor), root coordinates.
    std::optional<Geometry> frameGeometry(xcb_window_t window);
    // The child of the root that holds `window` (itself when it is one); none once it is gone.
    std::optional<xcb_window_t> topLevelOf(xcb_window_t window);
    // Every child of `parent`, mapped or not, bottom to top.
    std::vector<xcb_window_t> children(xcb_window_t parent);
    std::vector<xcb_window_t> rootChildren() { return children(root_); }
    bool isViewable(xcb_window_t window);
    // WM_CLASS as stored: instance and class, each ended by a NUL.
    std::string wmClass(xcb_window_t window);
    // The window's own rectangle (without border) in root coordinates.
    std::optional<Geometry> geometry(xcb_window_t window);
    // What the screen shows at (x, y) of the root, and at the centre of a client window.
    Colour pixel(int x, int y);
    Colour centrePixel(xcb_window_t window);

    // Polls `condition` every 5 ms up to `timeout`.
    static bool waitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout = std::chrono::seconds(5));

private:
    // Waits until the server has handled every request sent so far.
    void sync();
    void sendRootMessage(xcb_window_t window, xcb_atom_t type, std::uint32_t d0,
                         std::uint32_t d1 = 0, std::uint32_t d2 = 0, std::uint32_t d3 = 0,
                         std::uint32_t d4 = 0);

    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
};

} // namespace tavrilux::testdesktop
