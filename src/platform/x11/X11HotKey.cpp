#include "platform/x11/X11HotKey.h"

#include "platform/x11/XcbReply.h"
#include <algorithm>
#include <array>
#include <cstdlib>

namespace tavrilux::x11 {

namespace {

constexpr std::uint32_t kAltL = 0xffe9;
constexpr std::uint32_t kAltR = 0xffea;
constexpr std::uint32_t kSuperL = 0xffeb;
constexpr std::uint32_t kSuperR = 0xffec;
constexpr std::uint32_t kNumLock = 0xff7f;
constexpr std::uint32_t kKeysymUpperO = 0x4f;

} // namespace

std::unique_ptr<X11HotKey> X11HotKey::connect(MainQueue& queue, const char* displayName,
                                              std::string* error) {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(displayName, &screenNumber);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        if (error != nullptr) {
            *error = "cannot connect to the X server";
        }
        return nullptr;
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) {
        xcb_screen_next(&it);
    }
    return std::unique_ptr<X11HotKey>(new X11HotKey(queue, connection, it.data->root));
}

X11HotKey::X11HotKey(MainQueue& queue, xcb_connection_t* connection, xcb_window_t root)
    : queue_(queue), connection_(connection), root_(root) {}

X11HotKey::~X11HotKey() {
    unregisterHotKey();
    xcb_flush(connection_);
    xcb_disconnect(connection_);
}

std::vector<X11HotKey::Grab> X11HotKey::wantedGrabs() {
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    const xcb_keycode_t first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto keyboard = reply(xcb_get_keyboard_mapping_reply(
        connection_, xcb_get_keyboard_mapping(connection_, first, static_cast<std::uint8_t>(count)),
        nullptr));
    auto modifiers = reply(xcb_get_modifier_mapping_reply(
        connection_, xcb_get_modifier_mapping(connection_), nullptr));
    if (!keyboard || !modifiers) {
        return {};
    }
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(keyboard.get());
    const int perKey = keyboard->keysyms_per_keycode;
    const auto hasSym = [&](xcb_keycode_t key, std::initializer_list<std::uint32_t> wanted) {
        if (key < first || key >= first + count) {
            return false;
        }
        const xcb_keysym_t* row = syms + (key - first) * perKey;
        return std::any_of(row, row + perKey, [&](xcb_keysym_t s) {
            return std::find(wanted.begin(), wanted.end(), s) != wanted.end();
        });
    };

    // The modifier bits that carry Alt, Super and Num Lock in this keymap; the usual ones when
    // the map does not say.
    std::uint16_t alt = 0;
    std::uint16_t super = 0;
    std::uint16_t numLock = 0;
    const xcb_keycode_t* modKeys = xcb_get_modifier_mapping_keycodes(modifiers.get());
    const int perModifier = modifiers->keycodes_per_modifier;
    for (int mod = 0; mod < 8; ++mod) {
        const auto bit = static_cast<std::uint16_t>(1U << mod);
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t key = modKeys[mod * perModifier + i];
            const auto carries = [&](std::initializer_list<std::uint32_t> wanted) {
                return static_cast<std::uint16_t>(hasSym(key, wanted) ? bit : 0U);
            };
            alt |= carries({kAltL, kAltR});
            super |= carries({kSuperL, kSuperR});
            numLock |= carries({kNumLock});
        }
    }
    alt = alt != 0 ? alt : std::uint16_t{XCB_MOD_MASK_1};
    super = super != 0 ? super : std::uint16_t{XCB_MOD_MASK_4};
    numLock = numLock != 0 ? numLock : std::uint16_t{XCB_MOD_MASK_2};

    std::vector<Grab> grabs;
    for (int key = first; key < first + count; ++key) {
        if (!hasSym(static_cast<xcb_keycode_t>(key), {kKeysymO, kKeysymUpperO})) {
            continue;
        }
        for (std::uint16_t locks : std::array<std::uint16_t, 4>{
                 0, XCB_MOD_MASK_LOCK, numLock,
                 static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock)}) {
            grabs.push_back(Grab{static_cast<xcb_keycode_t>(key),
                                 static_cast<std::uint16_t>(alt | super | locks)});
        }
    }
    return grabs;
}

int X11HotKey::registerHotKey(std::function<void()> onPress) {
    unregisterHotKey();
    const auto wanted = wantedGrabs();
    if (wanted.empty()) {
        return kNoKey; // no key carries O in this keymap
    }
    std::vector<xcb_void_cookie_t> cookies;
    for (const Grab& grab : wanted) {
        cookies.push_back(xcb_grab_key_checked(connection_, 1, root_, grab.modifiers, grab.key,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    int status = 0;
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        if (auto failure = reply(xcb_request_check(connection_, cookies[i]))) {
            status = status != 0 ? status : failure->error_code;
        } else {
            grabs_.push_back(wanted[i]);
        }
    }
    if (status == 0 && xcb_connection_has_error(connection_) != 0) {
        status = -1;
    }
    if (status != 0) {
        unregisterHotKey();
        return status;
    }
    onPress_ = std::move(onPress);
    registration_ = std::make_shared<bool>(true);
    return 0;
}

void X11HotKey::unregisterHotKey() {
    for (const Grab& grab : grabs_) {
        xcb_ungrab_key(connection_, grab.key, root_, grab.modifiers);
    }
    // Given back once this returns (a round trip): another program may take it at once.
    if (!grabs_.empty()) {
        reply(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }
    grabs_.clear();
    xcb_flush(connection_);
    onPress_ = nullptr;
    registration_.reset();
}

int X11HotKey::fileDescriptor() const {
    return xcb_get_file_descriptor(connection_);
}

bool X11HotKey::isConnected() const {
    return xcb_connection_has_error(connection_) == 0;
}

void X11HotKey::processEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const auto type = event->response_type & 0x7f;
        if (type == XCB_KEY_PRESS) {
            handlePress(reinterpret_cast<xcb_key_press_event_t*>(event)->time);
        } else if (type == XCB_KEY_RELEASE) {
            lastRelease_ = reinterpret_cast<xcb_key_release_event_t*>(event)->time;
        }
        std::free(event);
    }
}

void X11HotKey::handlePress(xcb_timestamp_t time) {
    // A repeat: the server sends its release and its press at the same instant.
    if (time == lastRelease_ || !onPress_) {
        return;
    }
    queue_.post([weak = std::weak_ptr<bool>(registration_), handler = onPress_] {
        if (weak.lock()) {
            handler();
        }
    });
}

} // namespace tavrilux::x11
