#pragma once

#include "core/platform/Screen.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrilux::x11 {

// The displays of an X server: its RandR 1.5 monitors, the primary first, each keyed by its name
// atom and by a UUID made from its EDID (else its output's name). A monitor whose rectangle lies
// inside another's (mirrored, of one size or of two) is part of that display. Without monitors
// the whole root is one display without a number. Main thread only.
class X11Monitors final {
public:
    struct Monitor {
        xcb_atom_t name = 0;
        std::string localizedName;
        bool primary = false;
        std::int16_t x = 0, y = 0;
        std::uint16_t width = 0, height = 0;
        std::optional<std::string> uuid;
    };

    // What the server offers of RandR: monitors (version 1.5), and the number of its first event
    // (0 without RandR).
    struct Support {
        bool hasMonitors = false;
        std::uint8_t eventBase = 0;
    };
    // Asks for RandR 1.5 (one round trip where the extension is present) and selects the
    // RandR notifications `events` on the root.
    static Support watch(xcb_connection_t* connection, xcb_window_t root, std::uint16_t events);

    X11Monitors(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t edid, bool hasMonitors);
    X11Monitors(const X11Monitors&) = delete;
    X11Monitors& operator=(const X11Monitors&) = delete;

    // Reads the monitors again (two round trips, one without RandR monitors: none); returns the
    // number of round trips taken.
    int reload(std::uint16_t rootWidth, std::uint16_t rootHeight);

    // Never empty.
    const std::vector<Monitor>& monitors() const { return monitors_; }
    const Monitor& primary() const { return monitors_.front(); }
    // Frames in bottom-left global coordinates, flipped around the primary display.
    std::vector<Screen> screens() const;
    std::optional<std::string> displayUUID(xcb_atom_t name) const;

    // Monitors in the server's order, primary first, as displays: those inside another's
    // rectangle are dropped; one that holds an earlier one takes its place.
    static std::vector<Monitor> displaysOf(std::vector<Monitor> monitors);

private:
    xcb_connection_t* connection_;
    xcb_window_t root_;
    xcb_atom_t edid_;
    bool hasMonitors_;
    std::vector<Monitor> monitors_;
};

} // namespace tavrilux::x11
