#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

namespace tavrilux::x11 {

// The keyboard and modifier maps of a server as a client sees them through the core protocol.
// A server with XKB keeps this view current and tells every client that has not asked for XKB of
// each change, a layout switch included, with a core MappingNotify.
class X11Keymap final {
public:
    // `keysyms`: `keysymsPerKeycode` for each keycode from `firstKeycode` on;
    // `modifierKeycodes`: `keycodesPerModifier` for each of Shift, Lock, Control, Mod1 ... Mod5,
    // 0 where a slot is empty.
    X11Keymap(xcb_keycode_t firstKeycode, int keysymsPerKeycode, std::vector<xcb_keysym_t> keysyms,
              int keycodesPerModifier, std::vector<xcb_keycode_t> modifierKeycodes);

    // None when the server does not answer.
    static std::optional<X11Keymap> read(xcb_connection_t* connection);

    // The keycodes that carry any of `wanted` (at any shift level or group), in ascending order.
    std::vector<xcb_keycode_t> keysCarrying(std::initializer_list<xcb_keysym_t> wanted) const;
    // The modifier bits one of whose keys carries any of `wanted`; 0 when none does.
    std::uint16_t modifiersCarrying(std::initializer_list<xcb_keysym_t> wanted) const;

private:
    bool carries(xcb_keycode_t key, std::initializer_list<xcb_keysym_t> wanted) const;

    xcb_keycode_t firstKeycode_;
    int keysymsPerKeycode_;
    std::vector<xcb_keysym_t> keysyms_;
    int keycodesPerModifier_;
    std::vector<xcb_keycode_t> modifierKeycodes_;
};

} // namespace tavrilux::x11
