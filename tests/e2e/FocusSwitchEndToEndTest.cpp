#include "OverlayEndToEndFixture.h"
#include "StackingWatcher.h"

#include <gtest/gtest.h>

#include <map>
#include <thread>

namespace tavrilux::e2e {
namespace {

using testdesktop::StackingWatcher;

class FocusSwitchTest : public OverlayEndToEndTest {
protected:
    // A mapped overlay, as the watcher sees it (overlay windows keep their class).
    bool isMappedOverlay(StackingWatcher& watcher, const StackingWatcher::Child& child) {
        if (!child.mapped) {
            return false;
        }
        auto [it, added] = overlayClass.try_emplace(child.window, false);
        if (added) {
            it->second = watcher.isMappedInstance(child, "tavrilux-overlay");
        }
        return it->second;
    }
    // A mapped overlay lies between the two frames.
    bool overlayBetween(StackingWatcher& watcher, xcb_window_t a, xcb_window_t b) {
        const int i = watcher.indexOf(a);
        const int j = watcher.indexOf(b);
        if (i < 0 || j < 0) {
            return false;
        }
        for (int k = std::min(i, j) + 1; k < std::max(i, j); ++k) {
            if (isMappedOverlay(watcher, watcher.children()[static_cast<std::size_t>(k)])) {
                return true;
            }
        }
        return false;
    }

    std::map<xcb_window_t, bool> overlayClass;
};

// Two windows of one application: whichever the window manager raises a moment after the
// activation, the overlay never passes between them, and ends below both.
TEST_F(FocusSwitchTest, SwitchingBetweenTwoWindowsOfOneApplicationNeverDimsEither) {
    const auto [w1, w2, other] = twoWindowsOfOneApplication();
    ASSERT_TRUE(startEngineBelow(w2));
    const xcb_window_t f1 = control->topLevelOf(w1).value_or(0);
    const xcb_window_t f2 = control->topLevelOf(w2).value_or(0);
    ASSERT_NE(f1, 0u);
    ASSERT_NE(f2, 0u);
    StackingWatcher watcher(desktop->display());
    int between = 0;
    for (int i = 0; i < 20; ++i) {
        const xcb_window_t target = i % 2 == 0 ? w2 : w1;
        const xcb_window_t raised = i % 2 == 0 ? f2 : f1;
        const xcb_window_t lowered = i % 2 == 0 ? f1 : f2;
        control->activate(target);
        // Up to the window manager's raise, then on through the fade.
        ASSERT_TRUE(watcher.watchUntil(
            [&] { return watcher.indexOf(raised) > watcher.indexOf(lowered); }, 3s))
            << "switch " << i << ": no raise";
        bool seen = false;
        watcher.watch(400ms, [&] { seen = seen || overlayBetween(watcher, f1, f2); });
        between += seen ? 1 : 0;
        EXPECT_TRUE(soon([&] { return overlayDirectlyBelow(i % 2 == 0 ? w1 : w2); }))
            << "switch " << i << ": the overlay ends below both windows";
    }
    EXPECT_EQ(between, 0) << "switches with an overlay between the two windows";
    EXPECT_TRUE(soonShows(w1, kMulti));
    EXPECT_TRUE(soonShows(other, dimmed(kBeta)));
    expectCleanExit();
}

// xfwm4's compositor repaints a window the overlay went below only where nothing lies above it:
// a switch that passed the overlay between the two windows left one of them tinted on screen.
TEST_F(OnXfwm4, SwitchingBetweenTwoWindowsOfOneApplicationLeavesBothBrightOnScreen) {
    const auto [w1, w2, other] = twoWindowsOfOneApplication();
    ASSERT_TRUE(startEngineBelow(w2));
    for (int i = 0; i < 10; ++i) {
        const xcb_window_t target = i % 2 == 0 ? w2 : w1;
        const xcb_window_t lower = i % 2 == 0 ? w1 : w2;
        control->activate(target);
        ASSERT_TRUE(soon([&] { return overlayDirectlyBelow(lower); })) << "switch " << i;
        // Where the two do not overlap, each shows as it is once the switch has settled.
        std::this_thread::sleep_for(300ms);
        const auto g1 = control->geometry(w1);
        const auto g2 = control->geometry(w2);
        ASSERT_TRUE(g1 && g2);
        expectNear(control->pixel(g1->x + 20, g1->y + 20), kMulti, 1, "the first window");
        expectNear(control->pixel(g2->x + g2->width - 20, g2->y + g2->height - 20), kMulti, 1,
                   "the second window");
    }
    EXPECT_TRUE(soonShows(other, dimmed(kBeta)));
    expectCleanExit();
}

// Monitors that nest (mirrored outputs of two sizes) are one display: one overlay, one tint.
// Partly overlapping ones keep their own overlays, but their shared part is dimmed once.
TEST_F(FocusSwitchTest, NestedAndOverlappingMonitorsDimEveryPixelOnce) {
    ASSERT_EQ(desktop->xrandr("--setmonitor tavrilux-inner 1024/270x600/160+0+0 none"), 0);
    // Across the left and right monitors' common edge, below the windows.
    ASSERT_EQ(desktop->xrandr("--setmonitor tavrilux-across 640/170x400/105+960+300 none"), 0);
    // Desktop in the parts the across monitor shares with the left and with the right one.
    const std::pair<int, int> sharedLeft{1000, 320};
    const std::pair<int, int> sharedRight{1560, 320};
    const auto focused = startApp("alpha", "ff8800", "300x200+100+100");
    const auto nested = startApp("beta", "3366cc", "200x150+500+120");
    const auto spanning = startApp("gamma", "33cc66", "400x200+1100+450");
    const auto right = startApp("delta", "cc3366", "300x200+1800+100");
    for (const auto w : {spanning, right, focused}) {
        control->activate(w);
    }
    Colour desktopLeft;
    Colour desktopRight;
    ASSERT_TRUE(soon([&] {
        const Colour l = control->pixel(sharedLeft.first, sharedLeft.second);
        const Colour r = control->pixel(sharedRight.first, sharedRight.second);
        const bool settled = l.red == desktopLeft.red && l.green == desktopLeft.green &&
                             l.blue == desktopLeft.blue && l.red + l.green + l.blue > 0 &&
                             r.red == desktopRight.red && r.green == desktopRight.green &&
                             r.blue == desktopRight.blue;
        desktopLeft = l;
        desktopRight = r;
        std::this_thread::sleep_for(50ms);
        return settled;
    }));
    ASSERT_TRUE(startEngineBelow(focused));
    ASSERT_TRUE(soon([&] { return overlayDirectlyBelow(right); }));
    // The fades over, the compositor shows where every overlay ended (each display drawn in
    // its own time).
    ASSERT_TRUE(soon([&] { return fadedIn(); }));
    EXPECT_EQ(overlaysOn(0), 1) << "the nested monitor is part of the left one";
    const auto at = [&](int x, int y) { return [this, x, y] { return control->pixel(x, y); }; };
    EXPECT_TRUE(soonShows(nested, dimmed(kBeta))) << "tinted once, not twice";
    EXPECT_TRUE(soonNear(at(sharedLeft.first, sharedLeft.second), dimmed(desktopLeft)))
        << "shared by the left and the across monitor";
    EXPECT_TRUE(soonNear(at(sharedRight.first, sharedRight.second), dimmed(desktopRight)))
        << "shared by the right and the across monitor";
    const auto g = control->geometry(spanning);
    ASSERT_TRUE(g.has_value());
    EXPECT_TRUE(soonNear(at(1150, g->y + 50), dimmed(kGamma))) << "a window on three";
    EXPECT_TRUE(soonNear(at(1400, g->y + 50), dimmed(kGamma))) << "a window on three";
    expectNear(control->centrePixel(focused), kAlpha, 1, "the focused window is untouched");
    expectNear(control->centrePixel(right), kMulti, 1, "the right monitor's front window");
    expectCleanExit();
}

} // namespace
} // namespace tavrilux::e2e
