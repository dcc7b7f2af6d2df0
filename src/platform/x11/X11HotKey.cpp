#include "platform/x11/X11HotKey.h"

#include "platform/x11/XcbReply.h"
#include "platform/x11/XcbScreenConnection.h"
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
    const XcbScreenConnection opened = connectToScreen(displayName, error);
    if (opened.connection == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<X11HotKey>(new X11HotKey(queue, opened.connection, opened.root));
}

X11HotKey::X11HotKey(MainQueue& queue, xcb_connection_t* connection, xcb_window_t root)
    : queue_(queue), connection_(connection), root_(root) {}

X11HotKey::~X11HotKey() {
    unregisterHotKey();
    xcb_flush(connection_);
    xcb_disconnect(connection_);
}

std::vector<X11HotKey::Grab> X11HotKey::grabsFor(const X11Keymap& keymap) {
    const auto keys = keymap.keysCarrying({kKeysymO, kKeysymUpperO});
    if (keys.empty()) {
        return {};
    }
    const auto orUsual = [](std::uint16_t bits, std::uint16_t usual) {
        return bits != 0 ? bits : usual;
    };
    const std::uint16_t alt = orUsual(keymap.modifiersCarrying({kAltL, kAltR}), XCB_MOD_MASK_1);
    const std::uint16_t super =
        orUsual(keymap.modifiersCarrying({kSuperL, kSuperR}), XCB_MOD_MASK_4);
    const std::uint16_t numLock = orUsual(keymap.modifiersCarrying({kNumLock}), XCB_MOD_MASK_2);

    std::vector<Grab> grabs;
    for (const xcb_keycode_t key : keys) {
        for (std::uint16_t locks : std::array<std::uint16_t, 4>{
                 0, XCB_MOD_MASK_LOCK, numLock,
                 static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock)}) {
            grabs.push_back(Grab{key, static_cast<std::uint16_t>(alt | super | locks)});
        }
    }
    return grabs;
}

int X11HotKey::registerHotKey(std::function<void()> onPress,
                              std::function<void(int)> onKeymapChange) {
    unregisterHotKey();
    const auto keymap = X11Keymap::read(connection_);
    if (!keymap) {
        return -1; // the connection is gone
    }
    const int status = claim(grabsFor(*keymap));
    if (status != 0 && status != kNoKey) {
        wanted_.clear();
        return status;
    }
    onPress_ = std::move(onPress);
    onKeymapChange_ = std::move(onKeymapChange);
    registration_ = std::make_shared<bool>(true);
    return status;
}

int X11HotKey::claim(std::vector<Grab> wanted) {
    const auto contains = [](const std::vector<Grab>& grabs, const Grab& grab) {
        return std::find(grabs.begin(), grabs.end(), grab) != grabs.end();
    };
    // Keys may have moved: what the keymap no longer asks for goes back first.
    std::vector<Grab> kept;
    std::vector<Grab> released;
    for (const Grab& grab : grabs_) {
        (contains(wanted, grab) ? kept : released).push_back(grab);
    }
    grabs_ = std::move(kept);
    giveBack(released);
    wanted_ = std::move(wanted);
    if (wanted_.empty()) {
        return xcb_connection_has_error(connection_) != 0 ? -1 : kNoKey;
    }

    std::vector<Grab> taking;
    std::vector<xcb_void_cookie_t> cookies;
    for (const Grab& grab : wanted_) {
        if (!contains(grabs_, grab)) {
            taking.push_back(grab);
            cookies.push_back(xcb_grab_key_checked(connection_, 1, root_, grab.modifiers, grab.key,
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
    }
    int status = 0;
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        if (auto failure = reply(xcb_request_check(connection_, cookies[i]))) {
            status = status != 0 ? status : failure->error_code;
        } else {
            grabs_.push_back(taking[i]);
        }
    }
    if (status == 0 && xcb_connection_has_error(connection_) != 0) {
        status = -1;
    }
    if (status != 0) {
        giveBack(grabs_);
        grabs_.clear();
    }
    return status;
}

void X11HotKey::giveBack(const std::vector<Grab>& grabs) {
    if (grabs.empty()) {
        return;
    }
    for (const Grab& grab : grabs) {
        xcb_ungrab_key(connection_, grab.key, root_, grab.modifiers);
    }
    // Given back once this returns (a round trip): another program may take them at once.
    reply(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

void X11HotKey::unregisterHotKey() {
    giveBack(grabs_);
    grabs_.clear();
    wanted_.clear();
    xcb_flush(connection_);
    onPress_ = nullptr;
    onKeymapChange_ = nullptr;
    registration_.reset();
}

void X11HotKey::followKeymap() {
    if (!registration_) {
        return;
    }
    const auto keymap = X11Keymap::read(connection_);
    if (!keymap) {
        return; // the connection is gone, and the main loop hears of it
    }
    auto wanted = grabsFor(*keymap);
    if (wanted == wanted_) {
        return; // O, Alt, Super and Num Lock are where they were
    }
    const int status = claim(std::move(wanted));
    queue_.post([weak = std::weak_ptr<bool>(registration_), handler = onKeymapChange_, status] {
        if (weak.lock() && handler) {
            handler(status);
        }
    });
}

int X11HotKey::fileDescriptor() const {
    return xcb_get_file_descriptor(connection_);
}

bool X11HotKey::isConnected() const {
    return xcb_connection_has_error(connection_) == 0;
}

void X11HotKey::processEvents() {
    // Following the keymap waits for replies, and events read meanwhile wait in xcb's queue, not
    // on the socket: they are taken in the next round.
    for (bool keymapChanged = true; keymapChanged;) {
        keymapChanged = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            const auto type = event->response_type & 0x7f;
            if (type == XCB_KEY_PRESS) {
                handlePress(reinterpret_cast<xcb_key_press_event_t*>(event)->time);
            } else if (type == XCB_KEY_RELEASE) {
                lastRelease_ = reinterpret_cast<xcb_key_release_event_t*>(event)->time;
            } else if (type == XCB_MAPPING_NOTIFY) {
                // Sent to every client unasked; one look covers a burst of them.
                keymapChanged |= reinterpret_cast<xcb_mapping_notify_event_t*>(event)->request !=
                                 XCB_MAPPING_POINTER;
            }
            std::free(event);
        }
        if (keymapChanged) {
            followKeymap();
        }
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
