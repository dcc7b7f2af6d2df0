#include "OverlayEndToEndFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace tavrilux::e2e {
namespace {

const Colour kMulti{0xcc, 0x33, 0x66};

using FocusEndToEndTest = OverlayEndToEndTest;

// X11 separates focus from stacking, and an application's windows from each other.
TEST_F(FocusEndToEndTest, TheWindowTypedIntoStaysBrightAndOtherApplicationsBetweenItsAreDimmed) {
    const auto w1 = startApp("multi", "cc3366", "300x200+50+50", {"--count", "2", "--step", "400"});
    const auto w2 = clients.back().windows.at(1);
    const auto a = startApp("alpha", "ff8800", "300x200+250+150");
    const auto b = startApp("beta", "3366cc", "300x200+800+100");
    for (const auto w : {w1, a, b, w2}) {
        control->activate(w);
    }
    // One application's second window focused on top, its first buried under two others.
    ASSERT_TRUE(startEngineUntil([&] { return overlaysOn(0) == 1; }));
    EXPECT_TRUE(soonShows(a, dimmed(kAlpha)));
    EXPECT_TRUE(soonShows(b, dimmed(kBeta)));
    EXPECT_TRUE(soonShows(w2, kMulti));

    // Another window raised without the focus stays bright, and so does the focused one.
    control->activate(a);
    ASSERT_TRUE(soon([&] { return overlayDirectlyBelow(a); }));
    control->raise(b);
    std::this_thread::sleep_for(500ms); // a few polls of the engine
    EXPECT_TRUE(overlayDirectlyBelow(a));
    EXPECT_TRUE(soonShows(a, kAlpha));
    EXPECT_TRUE(soonShows(b, kBeta));

    // A window focused without a raise, under the others, is bright where it shows.
    control->focus(w1);
    ASSERT_TRUE(soon([&] { return control->activeWindow() == w1; }));
    EXPECT_TRUE(soon([&] { return overlayDirectlyBelow(w1); }));
    EXPECT_TRUE(soonShows(w1, kMulti));
    expectCleanExit();
}

// Mirrored monitors (here two of one rectangle) are one display, dimmed once.
TEST_F(FocusEndToEndTest, MonitorsOfOneRectangleAreOneDisplay) {
    ASSERT_EQ(desktop->xrandr("--setmonitor tavrilux-mirror 1280/338x800/211+0+0 none"), 0);
    const auto a = startApp("alpha", "ff8800", "400x300+100+100");
    const auto b = startApp("beta", "3366cc", "400x300+700+300");
    control->activate(a);
    ASSERT_TRUE(startEngineBelow(a));
    EXPECT_TRUE(soonShows(b, dimmed(kBeta)));
    EXPECT_TRUE(soonShows(a, kAlpha));
    EXPECT_EQ(overlaysOn(0), 1);
    expectCleanExit();
}

// A dialog of the application as a whole is raised alone: the window between it and its main
// window is dimmed.
TEST_F(OnFluxbox, AFocusedDialogRaisedAloneLeavesTheWindowsBelowItDimmed) {
    const auto main = startApp("multi", "cc3366", "300x200+100+100",
                               {"--count", "2", "--step", "300", "--dialog"});
    const auto dialog = clients.back().windows.at(1);
    const auto b = startApp("beta", "3366cc", "300x200+450+150");
    for (const auto w : {main, b, dialog}) {
        control->activate(w);
    }
    ASSERT_TRUE(startEngineBelow(dialog));
    EXPECT_TRUE(soonShows(b, dimmed(kBeta)));
    EXPECT_TRUE(soonShows(main, dimmed(kMulti)));
    EXPECT_TRUE(soonShows(dialog, kMulti));
}

// KWin restacks a window below one of an application's windows below all of them: the overlay
// lies below the focused main window's dialog, right under it.
TEST_F(OnKWin, AMainWindowFocusedUnderARaisedOneStaysBrightWithTheDialogBelowIt) {
    const auto main = startApp("multi", "cc3366", "300x200+100+100",
                               {"--count", "2", "--step", "150", "--dialog"});
    const auto dialog = clients.back().windows.at(1);
    const auto b = startApp("beta", "3366cc", "300x200+300+150");
    for (const auto w : {b, dialog, main}) {
        control->activate(w);
    }
    ASSERT_TRUE(startEngineBelow(dialog));
    control->raise(b);
    ASSERT_TRUE(soon([&] {
        const auto list = control->stackingList(); // bottom to top
        return std::find(list.begin(), list.end(), b) > std::find(list.begin(), list.end(), main);
    }));
    std::this_thread::sleep_for(500ms); // a few polls of the engine
    EXPECT_TRUE(overlayDirectlyBelow(dialog));
    EXPECT_TRUE(soonShows(main, kMulti));
    EXPECT_TRUE(soonShows(b, kBeta));
    expectCleanExit();
}

} // namespace
} // namespace tavrilux::e2e
