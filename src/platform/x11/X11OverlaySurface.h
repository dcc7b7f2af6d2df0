#pragma once

#include <xcb/xcb.h>

#include <cstdint>

namespace tavrilux::x11 {

// One overlay's X window and the server resources that paint it. The factory keeps the surfaces
// of released overlays, unmapped, and hands them to the next overlay of their display.
struct X11OverlaySurface final {
    xcb_window_t window = 0;
    xcb_pixmap_t pixmap = 0;
    xcb_gcontext_t gc = 0;
    // The display's rectangle in root coordinates.
    std::int16_t x = 0, y = 0;
    std::uint16_t width = 0, height = 0;
    bool blurHinted = false;
    // A bounding shape leaves out what an earlier display already covers.
    bool shaped = false;
    // Destroyed by someone else: its ids name nothing of ours any more.
    bool destroyed = false;

    bool covers(std::int16_t left, std::int16_t top, std::uint16_t w, std::uint16_t h) const {
        return x == left && y == top && width == w && height == h;
    }
};

} // namespace tavrilux::x11
