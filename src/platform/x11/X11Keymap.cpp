#include "platform/x11/X11Keymap.h"

#include "platform/x11/XcbReply.h"

#include <algorithm>

namespace tavrilux::x11 {

X11Keymap::X11Keymap(xcb_keycode_t firstKeycode, int keysymsPerKeycode,
                     std::vector<xcb_keysym_t> keysyms, int keycodesPerModifier,
                     std::vector<xcb_keycode_t> modifierKeycodes)
    : firstKeycode_(firstKeycode), keysymsPerKeycode_(std::max(keysymsPerKeycode, 0)),
      keysyms_(std::move(keysyms)), keycodesPerModifier_(std::max(keycodesPerModifier, 0)),
      modifierKeycodes_(std::move(modifierKeycodes)) {}

std::optional<X11Keymap> X11Keymap::read(xcb_connection_t* connection) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const xcb_keycode_t first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    const auto keyboardCookie =
        xcb_get_keyboard_mapping(connection, first, static_cast<std::uint8_t>(count));
    const auto modifierCookie = xcb_get_modifier_mapping(connection);
    auto keyboard = reply(xcb_get_keyboard_mapping_reply(connection, keyboardCookie, nullptr));
    auto modifiers = reply(xcb_get_modifier_mapping_reply(connection, modifierCookie, nullptr));
    if (!keyboard || !modifiers) {
        return std::nullopt;
    }
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(keyboard.get());
    const xcb_keycode_t* modKeys = xcb_get_modifier_mapping_keycodes(modifiers.get());
    return X11Keymap(
        first, keyboard->keysyms_per_keycode,
        {syms, syms + xcb_get_keyboard_mapping_keysyms_length(keyboard.get())},
        modifiers->keycodes_per_modifier,
        {modKeys, modKeys + xcb_get_modifier_mapping_keycodes_length(modifiers.get())});
}

bool X11Keymap::carries(xcb_keycode_t key, std::initializer_list<xcb_keysym_t> wanted) const {
    if (key < firstKeycode_ || keysymsPerKeycode_ == 0) {
        return false;
    }
    const std::size_t start = static_cast<std::size_t>(key - firstKeycode_) * keysymsPerKeycode_;
    if (start + keysymsPerKeycode_ > keysyms_.size()) {
        return false;
    }
    const auto row = keysyms_.begin() + static_cast<std::ptrdiff_t>(start);
    return std::any_of(row, row + keysymsPerKeycode_, [&](xcb_keysym_t sym) {
        return std::find(wanted.begin(), wanted.end(), sym) != wanted.end();
    });
}

std::vector<xcb_keycode_t>
X11Keymap::keysCarrying(std::initializer_list<xcb_keysym_t> wanted) const {
    std::vector<xcb_keycode_t> keys;
    const std::size_t count = keysymsPerKeycode_ == 0 ? 0 : keysyms_.size() / keysymsPerKeycode_;
    for (std::size_t i = 0; i < count && firstKeycode_ + i <= 255; ++i) {
        const auto key = static_cast<xcb_keycode_t>(firstKeycode_ + i);
        if (carries(key, wanted)) {
            keys.push_back(key);
        }
    }
    return keys;
}

std::uint16_t X11Keymap::modifiersCarrying(std::initializer_list<xcb_keysym_t> wanted) const {
    std::uint16_t bits = 0;
    for (int mod = 0; mod < 8; ++mod) {
        for (int i = 0; i < keycodesPerModifier_; ++i) {
            const std::size_t slot = static_cast<std::size_t>(mod * keycodesPerModifier_ + i);
            if (slot < modifierKeycodes_.size() && modifierKeycodes_[slot] != 0 &&
                carries(modifierKeycodes_[slot], wanted)) {
                bits |= static_cast<std::uint16_t>(1U << mod);
            }
        }
    }
    return bits;
}

} // namespace tavrilux::x11
