#include "platform/x11/X11HotKey.h"
#include "TestDesktopFixture.h"
#include "fakes/VirtualMainQueue.h"
#include "platform/x11/XcbReply.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrilux::x11 {
namespace {

// The hot key's grabs, seen from another client of a bare server, whose keymap (Xvfb's) has O
// on key 32, Alt on Mod1, Super on Mod4 and Num Lock on Mod2.
class X11HotKeyTest : public testdesktop::TestDesktopFixture {
protected:
    static constexpr xcb_keycode_t kO = 32;
    static constexpr std::uint16_t kAltSuper = XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

    testdesktop::TestDesktop::Options desktopOptions() const override { return {true}; }

    // Grabs Alt+Super+O with `locks` for the test; false when another client holds it.
    bool grab(std::uint16_t locks) {
        return !reply(xcb_request_check(
            c(), xcb_grab_key_checked(c(), 1, control->root(), kAltSuper | locks, kO,
                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)));
    }
    void ungrab(std::uint16_t locks) {
        reply(xcb_request_check(
            c(), xcb_ungrab_key_checked(c(), kO, control->root(), kAltSuper | locks)));
    }
    // Which of Caps Lock, Num Lock and both (and neither) the test can grab and gives back.
    std::vector<bool> free() {
        std::vector<bool> result;
        for (const std::uint16_t locks : kLocks) {
            result.push_back(grab(locks));
            ungrab(locks);
        }
        return result;
    }

    static constexpr std::uint16_t kLocks[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                               XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
    fakes::VirtualMainQueue queue;
};

TEST_F(X11HotKeyTest, EveryLockVariantIsGrabbedAndAnyRefusalGivesThemAllBack) {
    auto hotKey = X11HotKey::connect(queue, desktop->display().c_str());
    ASSERT_TRUE(hotKey);
    ASSERT_EQ(hotKey->registerHotKey([] {}), 0);
    EXPECT_EQ(free(), (std::vector<bool>{false, false, false, false}));
    hotKey->unregisterHotKey();
    EXPECT_EQ(free(), (std::vector<bool>{true, true, true, true}));

    // Another program holds Alt+Super+O with Num Lock on: nothing stays taken.
    ASSERT_TRUE(grab(XCB_MOD_MASK_2));
    EXPECT_EQ(hotKey->registerHotKey([] {}), XCB_ACCESS);
    EXPECT_TRUE(grab(0));
    EXPECT_TRUE(grab(XCB_MOD_MASK_LOCK));
    EXPECT_TRUE(grab(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2));
}

TEST_F(X11HotKeyTest, AKeymapWithoutOSaysSo) {
    auto map =
        reply(xcb_get_keyboard_mapping_reply(c(), xcb_get_keyboard_mapping(c(), kO, 1), nullptr));
    ASSERT_TRUE(map);
    const std::vector<xcb_keysym_t> nothing(map->keysyms_per_keycode, 0);
    ASSERT_FALSE(
        reply(xcb_request_check(c(), xcb_change_keyboard_mapping_checked(
                                         c(), 1, kO, map->keysyms_per_keycode, nothing.data()))));
    auto hotKey = X11HotKey::connect(queue, desktop->display().c_str());
    ASSERT_TRUE(hotKey);
    EXPECT_EQ(hotKey->registerHotKey([] {}), GlobalHotKey::kNoKey);
}

} // namespace
} // namespace tavrilux::x11
