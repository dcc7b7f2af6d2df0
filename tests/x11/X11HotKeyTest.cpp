#include "platform/x11/X11HotKey.h"
#include "TestDesktopFixture.h"
#include "fakes/VirtualMainQueue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <vector>

namespace tavrilux::x11 {
namespace {

using namespace std::chrono_literals;
using Grab = X11HotKey::Grab;

constexpr xcb_keysym_t kO = 0x6f, kUpperO = 0x4f, kP = 0x70, kAltL = 0xffe9, kSuperR = 0xffec,
                       kNumLock = 0xff7f, kShiftL = 0xffe1, kHyperL = 0xffed;

// A keymap of keycodes 8 ... 8 + 31, `perKey` symbols each, with `keys` filled in; `modifiers`
// lists the keycodes of Shift, Lock, Control, Mod1 ... Mod5, two per modifier.
X11Keymap keymap(int perKey, const std::map<int, std::vector<xcb_keysym_t>>& keys,
                 const std::map<int, std::vector<xcb_keycode_t>>& modifiers) {
    std::vector<xcb_keysym_t> syms(32 * perKey, 0);
    for (const auto& [key, row] : keys) {
        std::copy(row.begin(), row.end(), syms.begin() + (key - 8) * perKey);
    }
    std::vector<xcb_keycode_t> modKeys(8 * 2, 0);
    for (const auto& [mod, row] : modifiers) {
        std::copy(row.begin(), row.end(), modKeys.begin() + mod * 2);
    }
    return X11Keymap(8, perKey, syms, 2, modKeys);
}

TEST(X11HotKeyGrabsTest, EveryKeyWithOInEveryLockStateWithTheModifiersTheMapAssigns) {
    // Alt on Mod1 (with Shift beside it there), Super_R on Mod3, Num Lock on Mod5.
    const auto twoKeys = keymap(4,
                                {{10, {kShiftL}},
                                 {11, {kAltL}},
                                 {12, {kSuperR}},
                                 {13, {kNumLock}},
                                 {20, {kO, kUpperO}},
                                 {24, {kP, kP, 0, kUpperO}},
                                 {30, {kP, kP}}},
                                {{0, {10}}, {3, {11, 10}}, {5, {12}}, {7, {13}}});
    EXPECT_EQ(X11HotKey::grabsFor(twoKeys), (std::vector<Grab>{{20, 0x28},
                                                               {20, 0x2a},
                                                               {20, 0xa8},
                                                               {20, 0xaa},
                                                               {24, 0x28},
                                                               {24, 0x2a},
                                                               {24, 0xa8},
                                                               {24, 0xaa}}));

    // A map that names none of them: Alt Mod1, Super Mod4, Num Lock Mod2.
    const auto bare = keymap(2, {{9, {kHyperL}}, {39, {kO}}}, {{4, {9}}});
    EXPECT_EQ(X11HotKey::grabsFor(bare),
              (std::vector<Grab>{{39, 0x48}, {39, 0x4a}, {39, 0x58}, {39, 0x5a}}));

    const auto withoutO = keymap(2, {{11, {kAltL}}, {20, {kP, kP}}}, {{3, {11}}});
    EXPECT_TRUE(X11HotKey::grabsFor(withoutO).empty());
}

// The hot key on a bare test desktop while the test changes its keymap. Xvfb's keymap has O on
// keycode 32 and P on 33; Dvorak puts O on 39.
class X11HotKeyTest : public testdesktop::TestDesktopFixture {
protected:
    static constexpr std::uint16_t kAltSuper = XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

    testdesktop::TestDesktop::Options desktopOptions() const override {
        return {.bare = true, .windowManager = {}};
    }
    void SetUp() override {
        TestDesktopFixture::SetUp();
        ASSERT_TRUE(sh("xmodmap -pke | grep -q '^keycode  32 = o O'"));
        hotKey = X11HotKey::connect(queue, desktop->display().c_str());
        ASSERT_TRUE(hotKey);
    }
    void TearDown() override {
        hotKey.reset();
        TestDesktopFixture::TearDown();
    }

    bool sh(const std::string& command) {
        return std::system(("export DISPLAY=" + desktop->display() + "; " + command).c_str()) == 0;
    }
    int registerHotKey() {
        return hotKey->registerHotKey([this] { ++presses; },
                                      [this](int status) { statuses.push_back(status); });
    }
    // Serves the hot key's events and tasks until `condition` holds.
    bool soon(const std::function<bool()>& condition) {
        return testdesktop::DesktopControl::waitUntil(
            [&] {
                hotKey->processEvents();
                queue.runUntilIdle();
                return condition();
            },
            30s);
    }
    // Whether the hot key holds `modifiers` + `key`: another client's grab of it is refused.
    // Asked only while the hot key is not claiming, which this grab would disturb.
    bool held(xcb_keycode_t key, std::uint16_t modifiers) {
        xcb_generic_error_t* error =
            xcb_request_check(c(), xcb_grab_key_checked(c(), 1, control->root(), modifiers, key,
                                                        XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        if (error == nullptr) {
            xcb_ungrab_key(c(), key, control->root(), modifiers);
            std::free(xcb_get_input_focus_reply(c(), xcb_get_input_focus(c()), nullptr));
            return false;
        }
        const bool refused = error->error_code == XCB_ACCESS;
        std::free(error);
        return refused;
    }
    // How many of the four lock states of `modifiers` + `key` the hot key holds.
    int heldLockStates(xcb_keycode_t key, std::uint16_t modifiers = kAltSuper,
                       std::uint16_t numLock = XCB_MOD_MASK_2) {
        int count = 0;
        const int lock = XCB_MOD_MASK_LOCK;
        for (const int locks : {0, lock, int{numLock}, lock | numLock}) {
            count += held(key, static_cast<std::uint16_t>(modifiers | locks)) ? 1 : 0;
        }
        return count;
    }

    fakes::VirtualMainQueue queue;
    std::unique_ptr<X11HotKey> hotKey;
    int presses = 0;
    std::vector<int> statuses;
};

TEST_F(X11HotKeyTest, FollowsOWhereverTheKeymapPutsIt) {
    ASSERT_TRUE(sh("xmodmap -e 'keycode 32 ='"));
    EXPECT_EQ(registerHotKey(), GlobalHotKey::kNoKey);
    EXPECT_EQ(heldLockStates(32), 0);

    // O comes: claimed in every lock state, and said once.
    ASSERT_TRUE(sh("xmodmap -e 'keycode 32 = o O o O'"));
    ASSERT_TRUE(soon([&] { return !statuses.empty(); }));
    EXPECT_EQ(statuses, std::vector<int>{0});
    EXPECT_EQ(heldLockStates(32), 4);

    // A change elsewhere says nothing: the press after it is served, with no word before it.
    ASSERT_TRUE(sh("xmodmap -e 'keycode 38 = q Q q Q'"));
    ASSERT_TRUE(sh("xdotool key super+alt+32"));
    ASSERT_TRUE(soon([&] { return presses == 1; }));
    EXPECT_EQ(statuses.size(), 1u);

    // O on a second key as well: both are claimed.
    ASSERT_TRUE(sh("xmodmap -e 'keycode 33 = o O o O'"));
    ASSERT_TRUE(soon([&] { return statuses.size() == 2; }));
    EXPECT_EQ(statuses.back(), 0);
    EXPECT_EQ(heldLockStates(32), 4);
    EXPECT_EQ(heldLockStates(33), 4);

    // O leaves its first key: that one is given back, the other serves.
    ASSERT_TRUE(sh("xmodmap -e 'keycode 32 = p P p P'"));
    ASSERT_TRUE(soon([&] { return statuses.size() == 3; }));
    EXPECT_EQ(statuses.back(), 0);
    EXPECT_EQ(heldLockStates(32), 0);
    EXPECT_EQ(heldLockStates(33), 4);
    ASSERT_TRUE(sh("xdotool key super+alt+33"));
    ASSERT_TRUE(soon([&] { return presses == 2; }));

    // A layout switch moves O.
    ASSERT_TRUE(sh("setxkbmap -layout us -variant dvorak"));
    ASSERT_TRUE(soon([&] { return statuses.size() == 4; }));
    EXPECT_EQ(statuses.back(), 0);
    EXPECT_EQ(heldLockStates(39), 4);
    EXPECT_EQ(heldLockStates(33), 0);

    // O leaves the keyboard, and comes back with the next layout.
    ASSERT_TRUE(sh("xmodmap -e 'keycode 39 ='"));
    ASSERT_TRUE(soon([&] { return statuses.size() == 5; }));
    EXPECT_EQ(statuses.back(), GlobalHotKey::kNoKey);
    EXPECT_EQ(heldLockStates(39), 0);
    ASSERT_TRUE(sh("setxkbmap -layout us"));
    ASSERT_TRUE(soon([&] { return statuses.size() == 6; }));
    EXPECT_EQ(statuses.back(), 0);
    EXPECT_EQ(heldLockStates(32), 4);
    ASSERT_TRUE(sh("xdotool key super+alt+32"));
    ASSERT_TRUE(soon([&] { return presses == 3; }));

    hotKey->unregisterHotKey();
    EXPECT_EQ(heldLockStates(32), 0);
}

TEST_F(X11HotKeyTest, FollowsSuperAndNumLockToOtherModifiers) {
    ASSERT_EQ(registerHotKey(), 0);
    EXPECT_EQ(heldLockStates(32), 4);

    ASSERT_TRUE(sh("xmodmap -e 'clear mod4' -e 'add mod3 = Super_L Super_R'"));
    ASSERT_TRUE(soon([&] { return !statuses.empty(); }));
    EXPECT_EQ(statuses, std::vector<int>{0});
    EXPECT_EQ(heldLockStates(32, XCB_MOD_MASK_1 | XCB_MOD_MASK_3), 4);
    EXPECT_EQ(heldLockStates(32), 0);

    ASSERT_TRUE(sh("xmodmap -e 'clear mod2' -e 'add mod5 = Num_Lock'"));
    ASSERT_TRUE(soon([&] { return statuses.size() == 2; }));
    EXPECT_EQ(statuses.back(), 0);
    EXPECT_EQ(heldLockStates(32, XCB_MOD_MASK_1 | XCB_MOD_MASK_3, XCB_MOD_MASK_5), 4);
    EXPECT_FALSE(held(32, XCB_MOD_MASK_1 | XCB_MOD_MASK_3 | XCB_MOD_MASK_2));
}

TEST_F(X11HotKeyTest, AKeyAnotherProgramHoldsIsSaidAndTheNextChangeTriesAgain) {
    ASSERT_EQ(registerHotKey(), 0);
    // Another program holds Alt+Super on P's key, where O comes next.
    xcb_generic_error_t* refused =
        xcb_request_check(c(), xcb_grab_key_checked(c(), 1, control->root(), kAltSuper, 33,
                                                    XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    ASSERT_EQ(refused, nullptr);
    ASSERT_TRUE(sh("xmodmap -e 'keycode 33 = o O o O'"));
    ASSERT_TRUE(soon([&] { return !statuses.empty(); }));
    EXPECT_EQ(statuses, std::vector<int>{XCB_ACCESS});
    EXPECT_EQ(heldLockStates(32), 0) << "nothing stays claimed";

    // Let go of; once O's keys change again, they are claimed.
    xcb_ungrab_key(c(), 33, control->root(), kAltSuper);
    std::free(xcb_get_input_focus_reply(c(), xcb_get_input_focus(c()), nullptr));
    ASSERT_TRUE(sh("xmodmap -e 'keycode 32 = p P p P'"));
    ASSERT_TRUE(soon([&] { return statuses.size() == 2; }));
    EXPECT_EQ(statuses.back(), 0);
    EXPECT_EQ(heldLockStates(33), 4);
    EXPECT_EQ(heldLockStates(32), 0);

    // A change just before unregistering is not said any more.
    ASSERT_TRUE(sh("xmodmap -e 'keycode 32 = o O o O'"));
    hotKey->unregisterHotKey(); // a round trip: the change's notice has been read
    hotKey->processEvents();
    queue.runUntilIdle();
    EXPECT_EQ(statuses.size(), 2u);
}

} // namespace
} // namespace tavrilux::x11
