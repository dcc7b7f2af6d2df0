#pragma once

#include "core/async/MainQueue.h"
#include "core/platform/GlobalHotKey.h"
#include "platform/x11/X11Keymap.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tavrilux::x11 {

// Alt+Super+O on an X server: a passive grab of the key on the root window with the Alt and
// Super modifiers as the modifier map assigns them, once plain and once with each of Caps Lock,
// Num Lock and both, so that the lock keys do not hide the combination.
//
// Holding the keys makes the server repeat the key as a release and a press with the same time
// stamp; such a press is not a new one, so a held combination counts once. A grab the server
// refuses (another client holds the combination) is the registration failure: the grabs taken
// so far are given back and the X error code is returned. A keymap in which no key carries O
// gives kNoKey, and the registration waits for one.
//
// The grabs follow the keymap: at each MappingNotify (xmodmap, a layout switch) the grabs are
// worked out anew, those no longer wanted released and the new ones taken, and the change is
// reported, unless the keys and modifiers it depends on stayed as they were.
//
// Uses a connection of its own; the main loop calls processEvents() whenever fileDescriptor()
// is readable. Main thread only.
class X11HotKey final : public GlobalHotKey {
public:
    static constexpr std::uint32_t kKeysymO = 0x6f;

    struct Grab {
        xcb_keycode_t key;
        std::uint16_t modifiers;
        bool operator==(const Grab&) const = default;
    };

    // Every grab the combination needs under `keymap`: on each key that carries O, with Alt and
    // Super as the modifier map assigns them (the usual Mod1 and Mod4 when it does not), plain
    // and with Caps Lock, Num Lock and both. None when no key carries O.
    static std::vector<Grab> grabsFor(const X11Keymap& keymap);

    // None, with the reason in `error`, when the server cannot be reached.
    static std::unique_ptr<X11HotKey> connect(MainQueue& queue, const char* displayName = nullptr,
                                              std::string* error = nullptr);
    ~X11HotKey() override;

    int registerHotKey(std::function<void()> onPress,
                       std::function<void(int status)> onKeymapChange) override;
    void unregisterHotKey() override;

    int fileDescriptor() const;
    void processEvents();
    bool isConnected() const;

private:
    X11HotKey(MainQueue& queue, xcb_connection_t* connection, xcb_window_t root);
    // Holds exactly `wanted` afterwards, or nothing: 0, kNoKey when `wanted` is empty, else the
    // error code of the refused grab.
    int claim(std::vector<Grab> wanted);
    void giveBack(const std::vector<Grab>& grabs);
    void followKeymap();
    void handlePress(xcb_timestamp_t time);

    MainQueue& queue_;
    xcb_connection_t* connection_;
    xcb_window_t root_;
    std::vector<Grab> grabs_;
    // What the last claim asked for; a keymap change that leaves it alone changes nothing.
    std::vector<Grab> wanted_;
    std::function<void()> onPress_;
    std::function<void(int)> onKeymapChange_;
    xcb_timestamp_t lastRelease_ = XCB_CURRENT_TIME;
    // Queued deliveries hold this; unregistering replaces it, so they find themselves stale.
    std::shared_ptr<bool> registration_;
};

} // namespace tavrilux::x11
