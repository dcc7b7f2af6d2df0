#pragma once

#include "core/async/MainQueue.h"
#include "core/platform/GlobalHotKey.h"

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
// gives kNoKey.
//
// Uses a connection of its own; the main loop calls processEvents() whenever fileDescriptor()
// is readable. Main thread only.
class X11HotKey final : public GlobalHotKey {
public:
    static constexpr std::uint32_t kKeysymO = 0x6f;

    // None, with the reason in `error`, when the server cannot be reached.
    static std::unique_ptr<X11HotKey> connect(MainQueue& queue, const char* displayName = nullptr,
                                              std::string* error = nullptr);
    ~X11HotKey() override;

    int registerHotKey(std::function<void()> onPress) override;
    void unregisterHotKey() override;

    int fileDescriptor() const;
    void processEvents();
    bool isConnected() const;

private:
    struct Grab {
        xcb_keycode_t key;
        std::uint16_t modifiers;
    };

    X11HotKey(MainQueue& queue, xcb_connection_t* connection, xcb_window_t root);
    // Every grab the combination needs, from the keyboard and modifier maps.
    std::vector<Grab> wantedGrabs();
    void handlePress(xcb_timestamp_t time);

    MainQueue& queue_;
    xcb_connection_t* connection_;
    xcb_window_t root_;
    std::vector<Grab> grabs_;
    std::function<void()> onPress_;
    xcb_timestamp_t lastRelease_ = XCB_CURRENT_TIME;
    // Queued deliveries hold this; unregistering replaces it, so they find themselves stale.
    std::shared_ptr<bool> registration_;
};

} // namespace tavrilux::x11
