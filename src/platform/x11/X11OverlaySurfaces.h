#pragma once

#include "core/geometry/Rect.h"
#include "platform/x11/X11Monitors.h"
#include "platform/x11/X11OverlayAtoms.h"
#include "platform/x11/X11OverlaySurface.h"

#include <xcb/xcb.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tavrilux::x11 {

// The X windows of overlays, one display each: made when none is kept for the display, kept
// (unmapped, a few per display) when their overlay is released, and destroyed when their display
// goes away or someone else destroys them. A window covers its display less what an earlier
// display already covers (a bounding shape), so that partly overlapping monitors dim no pixel
// twice. The displays are the server's RandR monitors, read again when they change.
class X11OverlaySurfaces final {
public:
    // At most this many windows of released overlays are kept for each display.
    static constexpr std::size_t kKeptPerDisplay = 2;

    struct Setup {
        xcb_connection_t* connection;
        xcb_window_t root;
        xcb_visualid_t visual;
        xcb_colormap_t colormap;
        // Managed windows for a window manager that draws override-redirect ones on top.
        bool managed;
        bool hasShape;
        bool hasMonitors;
    };

    X11OverlaySurfaces(const Setup& setup, const X11OverlayAtoms& atoms);
    ~X11OverlaySurfaces();
    X11OverlaySurfaces(const X11OverlaySurfaces&) = delete;
    X11OverlaySurfaces& operator=(const X11OverlaySurfaces&) = delete;

    // Told of every window made (true) and destroyed (false).
    void setLifecycleHandler(std::function<void(xcb_window_t, bool alive)> handler) {
        lifecycle_ = std::move(handler);
    }

    // A window covering the display of `frame` (global bottom-left coordinates), not mapped: a
    // kept one of that display, else a new one.
    std::unique_ptr<X11OverlaySurface> take(const Rect& frame);
    // Back from a released overlay, unmapped: kept, or destroyed when its display is gone, it is
    // gone itself, or enough are kept for its display.
    void keep(std::unique_ptr<X11OverlaySurface> surface);
    // Someone else destroyed `window`: a kept one is forgotten. Whether it was kept.
    bool forget(xcb_window_t window);
    // The displays may have changed: read again at the next look.
    void displaysMayHaveChanged() { displaysChanged_ = true; }
    bool displaysChangePending() const { return displaysChanged_; }
    // Reads the displays again if they may have changed, and destroys the windows kept for
    // displays that went away.
    void refreshDisplays();

    std::uint64_t createdCount() const { return created_; }
    std::size_t keptCount() const { return kept_.size(); }

private:
    std::unique_ptr<X11OverlaySurface> make(std::int16_t x, std::int16_t y, std::uint16_t width,
                                            std::uint16_t height);
    void destroy(X11OverlaySurface& surface);
    void shape(X11OverlaySurface& surface);
    bool isDisplay(const X11OverlaySurface& surface) const;
    void reloadDisplays();

    Setup setup_;
    const X11OverlayAtoms& atoms_;
    X11Monitors monitors_;
    bool displaysChanged_ = false;
    std::vector<std::unique_ptr<X11OverlaySurface>> kept_;
    std::uint64_t created_ = 0;
    std::function<void(xcb_window_t, bool)> lifecycle_;
};

} // namespace tavrilux::x11
