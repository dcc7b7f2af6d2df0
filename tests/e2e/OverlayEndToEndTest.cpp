#include "OverlayEndToEndFixture.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>

namespace tavrilux::e2e {
namespace {

using namespace std::chrono_literals;

TEST_F(OverlayEndToEndTest, MonitorRemovedDuringAFade) {
    const auto a = startApp("alpha", "ff8800", "400x300+100+100");
    const auto right = startApp("gamma", "33cc66", "400x300+1500+200");
    const auto other = startApp("delta", "cc3366", "400x300+1700+300");
    control->activate(right);
    control->activate(a);
    ASSERT_TRUE(startEngineUntil([&] { return overlaysOn(kRight) == 1; }, EngineLook{0.5, 2.0}));
    ASSERT_TRUE(soon([&] { return fadedIn(); }));
    control->activate(other); // a cross-fade on the right monitor
    ASSERT_TRUE(soon([&] { return overlaysOn(kRight) == 2; }));
    // Monitor edits alone send no RandR event; the output change after it does.
    ASSERT_EQ(desktop->xrandr("--delmonitor tavrilux-right"), 0);
    ASSERT_EQ(desktop->xrandr("--noprimary"), 0);
    ASSERT_EQ(desktop->xrandr("--output screen --primary"), 0);
    // The monitor's slot is torn down at once: no overlay is left on its area.
    EXPECT_TRUE(soon([&] { return overlaysOn(kRight) == 0; }, 3s));
    std::this_thread::sleep_for(2500ms);
    EXPECT_EQ(overlaysOn(kRight), 0);
    expectCleanExit();
}

// The "[DimmingPerf]" lines the engine has written so far.
std::vector<std::string> diagnosticsLines(const std::string& standardError) {
    std::vector<std::string> lines;
    std::istringstream in(standardError);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("[DimmingPerf] ", 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

TEST_F(OverlayEndToEndTest, DiagnosticsLineCountsTheOverlaysEveryTwoSeconds) {
    const auto a = startApp("alpha", "ff8800", "400x300+100+100");
    control->activate(a);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(startEngineBelow(a));
    ASSERT_TRUE(soon([&] { return diagnosticsLines(engine->standardError()).size() >= 2; }, 8s))
        << engine->standardError();
    EXPECT_GE(std::chrono::steady_clock::now() - started, 4s)
        << "the first line comes one 2 s interval after the start";

    // One window held per monitor: the left one shown below the focused application, the right
    // one (no focused window there, so cleared) hidden; no cross-fade runs.
    const std::regex format(R"re(\[DimmingPerf\] cpu=\d+\.\d% gpu=(n/a|\d+\.\d%) )re"
                            R"re(liveBackdropLayers=(\d+) overlays=(\d+) )re"
                            R"re(activeTransitionOverlays=0)re");
    const std::string last = diagnosticsLines(engine->standardError()).back();
    std::smatch match;
    ASSERT_TRUE(std::regex_match(last, match, format)) << last;
    EXPECT_EQ(match[3], "2") << last;
    EXPECT_EQ(match[2], "2") << "live layers = overlays + transition overlays: " << last;
    EXPECT_EQ(overlayWindowCount(), 2);
    EXPECT_EQ(overlaysOn(0), 1);
    EXPECT_EQ(overlaysOn(kRight), 0);
    EXPECT_EQ(engine->terminate(), 0);
}

// Without a window manager and compositor of its own: the test runs picom itself.
class OverlayCompositorTest : public OverlayEndToEndTest {
protected:
    TestDesktop::Options desktopOptions() const override { return {true}; }
};

TEST_F(OverlayCompositorTest, NoOverlayWithoutCompositorUntilOneRunsAgain) {
    clients.push_back(desktop->startClient({"--class", "alpha,alpha", "--color", "ff8800",
                                            "--geometry", "400x300+100+100", "--wm-state"}));
    ASSERT_TRUE(startEngineUntil([&] { return overlayWindowCount() >= 1; }));
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(overlaysOn(0), 0) << "a translucent window would black out the desktop";

    desktop->startCompositor();
    EXPECT_TRUE(soon([&] { return overlaysOn(0) == 1; }));
    desktop->stopCompositor();
    EXPECT_TRUE(soon([&] { return overlaysOn(0) == 0; }));
    desktop->startCompositor();
    EXPECT_TRUE(soon([&] { return overlaysOn(0) == 1; }));
    expectCleanExit();
    // Said once, not on every change.
    EXPECT_EQ(engine->said("no compositing manager"), 1u) << engine->standardError();
}

// X11 separates focus from stacking, and an application's windows from each other. A mirrored
// monitor (one of the left one's rectangle) is one display with it.
TEST_F(OverlayEndToEndTest, TheFocusedWindowStaysBrightAndEverythingElseIsTintedOnceWhateverMoves) {
    ASSERT_EQ(desktop->xrandr("--setmonitor tavrilux-mirror 1280/338x800/211+0+0 none"), 0);
    const auto w1 = startApp("multi", "cc3366", "300x200+50+50", {"--count", "2", "--step", "400"});
    const auto w2 = clients.back().windows.at(1);
    // Without _NET_WM_PID (xlogo, older programs) it is an application like any other.
    const auto a = startApp("alpha", "ff8800", "300x200+250+150", {"--no-pid"});
    const auto b = startApp("beta", "3366cc", "300x200+800+100");
    const auto right = startApp("gamma", "33cc66", "400x300+1500+200");
    for (const auto w : {right, w1, a, b, w2}) {
        control->activate(w);
    }
    // The desktop's colour is read once the compositor drew it (black until its first frame).
    Colour desktopBefore;
    ASSERT_TRUE(soon([&] {
        const Colour now = control->pixel(640, 750);
        const bool settled = now.red == desktopBefore.red && now.green == desktopBefore.green &&
                             now.blue == desktopBefore.blue && now.red + now.green + now.blue > 0 &&
                             control->centrePixel(w2).red == 0xcc;
        desktopBefore = now;
        std::this_thread::sleep_for(50ms);
        return settled;
    }));

    // One application's second window focused on top, its first buried under two others. The
    // evening preset's orange, at a strength that shows every channel.
    const EngineLook orange{0.6, 0.25, 234 / 255.0, 88 / 255.0, 12 / 255.0};
    ASSERT_TRUE(startEngineBelow(w2, orange));
    ASSERT_TRUE(soon([&] { return overlayDirectlyBelow(right); }));
    // Once faded in and drawn by the compositor, what lies under the overlay is tinted ...
    ASSERT_TRUE(soon([&] { return overlaysOn(0) == 1 && overlaysOn(kRight) == 1 && fadedIn(); }));
    EXPECT_TRUE(soonShows(a, dimmed(kAlpha, orange))) << "a window under it is tinted";
    EXPECT_TRUE(soonShows(b, dimmed(kBeta, orange))) << "and so is another";
    EXPECT_TRUE(soonNear([&] { return control->pixel(640, 750); }, dimmed(desktopBefore, orange)))
        << "the desktop is tinted";
    // ... and nothing else.
    EXPECT_EQ(overlaysOn(0), 1);
    EXPECT_EQ(overlaysOn(kRight), 1);
    expectNear(control->centrePixel(w2), kMulti, 1, "the focused window is untouched");
    expectNear(control->centrePixel(right), kGamma, 1, "the right monitor's focused window");

    // Another window raised without the focus stays bright, and so does the focused one (once
    // the cross-fade to it is over).
    control->activate(a);
    ASSERT_TRUE(soon([&] { return overlaysOn(0) == 1 && overlayDirectlyBelow(a); }));
    control->raise(b);
    ASSERT_TRUE(soon([&] { return stackedBelow(a, b); }));
    std::this_thread::sleep_for(500ms); // a few polls of the engine, which must leave it there
    EXPECT_TRUE(overlayDirectlyBelow(a));
    EXPECT_TRUE(soonShows(a, kAlpha));
    EXPECT_TRUE(soonShows(b, kBeta));

    // A window focused without a raise, under the others, is bright where it shows.
    control->focus(w1);
    EXPECT_TRUE(soon([&] { return overlayDirectlyBelow(w1); }));
    EXPECT_TRUE(soonShows(w1, kMulti));

    // The focused window goes away from above the overlay: it follows the next focused one.
    desktop->stopClient(clients[0]);
    EXPECT_TRUE(soon([&] {
        const auto next = control->activeWindow();
        return next && (*next == a || *next == b) && overlayDirectlyBelow(*next) &&
               overlaysOn(0) == 1;
    }));

    // Restacks that change no focus: kept below and back, a window is put under the overlay
    // again; kept above, it stays bright, and so does the focused window, which keeps the focus.
    // (The activation done first: the focus moved, the window raised, one overlay below it.)
    control->activate(a);
    ASSERT_TRUE(soon([&] {
        return control->activeWindow() == a && stackedBelow(b, a) && overlaysOn(0) == 1 &&
               overlayDirectlyBelow(a);
    }));
    control->setState(b, "BELOW", true);
    ASSERT_TRUE(soon([&] { return stackedBelow(b, right); }));
    control->setState(b, "BELOW", false);
    ASSERT_TRUE(soon([&] { return stackedBelow(right, b); }));
    EXPECT_TRUE(soon([&] { return overlayDirectlyBelow(a); }));
    EXPECT_TRUE(soonShows(b, dimmed(kBeta, orange)));
    control->setState(b, "ABOVE", true);
    ASSERT_TRUE(soon([&] { return stackedBelow(a, b); }));
    std::this_thread::sleep_for(500ms); // a few polls of the engine, which must leave it there
    EXPECT_TRUE(overlayDirectlyBelow(a));
    EXPECT_TRUE(soonShows(b, kBeta));
    EXPECT_TRUE(soonShows(a, kAlpha));
    EXPECT_EQ(control->activeWindow(), a);

    // An empty desktop leaves no overlay behind; back, it returns below the focused window.
    control->switchDesktop(1);
    EXPECT_TRUE(soon([&] { return overlaysOn(0) == 0; }, 3s));
    control->switchDesktop(0);
    EXPECT_TRUE(soon([&] { return overlayDirectlyBelow(a) && overlaysOn(0) == 1; }, 3s));
    expectCleanExit();
}

// A dialog of no window in particular (as Qt's without a parent) is raised alone: the
// window between it and its main window is dimmed. fluxbox keeps its stacking list in the order
// windows came; the real order is the frames'.
TEST_F(OnFluxbox, AFocusedDialogRaisedAloneLeavesTheWindowsBelowItDimmed) {
    const auto [main, dialog] = startWithDialog("--dialog", 300);
    const auto b = startApp("beta", "3366cc", "300x200+450+150");
    for (const auto w : {main, b, dialog}) {
        control->activate(w);
    }
    ASSERT_TRUE(startEngineBelow(dialog));
    EXPECT_TRUE(soonShows(b, dimmed(kBeta)));
    EXPECT_TRUE(soonShows(main, dimmed(kMulti)));
    EXPECT_TRUE(soonShows(dialog, kMulti));
}

// One workspace a monitor: the other monitor's windows carry another desktop number.
TEST_F(OnI3, TheOtherMonitorsWorkspaceGetsItsOverlayToo) {
    const auto left = startApp("alpha", "ff8800", "400x300+100+100");
    ASSERT_EQ(
        std::system(("DISPLAY=" + desktop->display() + " i3-msg -q focus output right").c_str()),
        0);
    const auto right = startApp("gamma", "33cc66", "400x300+1500+100");
    control->activate(left);
    ASSERT_TRUE(startEngineBelow(left));
    EXPECT_TRUE(soon([&] { return overlayDirectlyBelow(right); }));
    EXPECT_EQ(overlaysOn(0), 1);
    EXPECT_EQ(overlaysOn(kRight), 1);
}

// KWin draws override-redirect windows above every managed one, and keeps the compositor
// selection while compositing is blocked. It restacks a window placed below one of an
// application's windows below all of them: here the focused main window's dialog, right under it.
TEST_F(OnKWin, TheFocusedWindowStaysBrightAndOverlaysHideWhileCompositingIsBlocked) {
    const auto [main, dialog] = startWithDialog("--dialog", 150);
    const auto b = startApp("beta", "3366cc", "300x200+600+150");
    for (const auto w : {b, dialog, main}) {
        control->activate(w);
    }
    ASSERT_TRUE(startEngineBelow(dialog));
    EXPECT_TRUE(soonShows(main, kMulti));
    EXPECT_TRUE(soonShows(b, dimmed(kBeta)));
    // Raised without the focus: bright, and so is the focused window under it.
    control->raise(b);
    ASSERT_TRUE(soon([&] {
        const auto list = control->stackingList(); // bottom to top
        return std::find(list.begin(), list.end(), b) > std::find(list.begin(), list.end(), main);
    }));
    std::this_thread::sleep_for(500ms); // a few polls of the engine
    EXPECT_TRUE(overlayDirectlyBelow(dialog));
    EXPECT_TRUE(soonShows(main, kMulti));
    EXPECT_TRUE(soonShows(b, kBeta));

    const xcb_atom_t block = control->atom("_KDE_NET_WM_BLOCK_COMPOSITING");
    const std::uint32_t on = 1;
    xcb_change_property(c(), XCB_PROP_MODE_REPLACE, b, block, XCB_ATOM_CARDINAL, 32, 1, &on);
    xcb_flush(c());
    EXPECT_TRUE(soon([&] { return overlaysOn(0) == 0; }, 3s));
    // Started while blocked: nothing shows.
    ASSERT_EQ(engine->terminate(), 0);
    engine->restart();
    ASSERT_TRUE(
        soon([&] { return engine->standardError().find("no compositing") != std::string::npos; }));
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(overlaysOn(0), 0);
    // (Under Xvfb, KWin shows nothing once it composites again, so the screen is not read.)
    xcb_delete_property(c(), b, block);
    xcb_flush(c());
    EXPECT_TRUE(soon([&] { return overlayDirectlyBelow(dialog); }));
    expectCleanExit();
}

// xfwm4 composites itself, and after a restack repaints a window's area except where opaque
// windows now lie above it: an overlay lowered below a window leaves that window painted tinted.
// Here the other application's window between the two of the focused one goes away, and the
// overlay goes from above the first window to below it. (xfwm4 sees the left monitor alone here.)
TEST_F(OnXfwm4, AWindowTheOverlayIsLoweredBelowShowsBrightAgain) {
    const auto w1 =
        startApp("multi", "cc3366", "300x200+100+100", {"--count", "2", "--step", "150"});
    const auto w2 = clients.back().windows.at(1);
    const auto b = startApp("beta", "3366cc", "300x200+800+100");
    const auto other = clients.back();
    control->activate(w2);
    ASSERT_TRUE(soon([&] {
        const auto list = control->stackingList(); // bottom to top
        const auto at = [&](xcb_window_t w) { return std::find(list.begin(), list.end(), w); };
        return at(w1) < at(b) && at(b) < at(w2) && at(w2) != list.end();
    }));
    ASSERT_TRUE(startEngineBelow(w2));
    // On screen too, as xfwm4 painted it: the first window under the overlay, the second over it.
    ASSERT_TRUE(soonShows(w1, dimmed(kMulti)));
    EXPECT_TRUE(soonShows(b, dimmed(kBeta)));
    EXPECT_TRUE(soonShows(w2, kMulti));

    desktop->stopClient(other);
    ASSERT_TRUE(soon([&] { return overlayDirectlyBelow(w1); }));
    EXPECT_TRUE(soonShows(w1, kMulti));
    EXPECT_TRUE(soonShows(w2, kMulti));
    expectCleanExit();
}

// A dialog of its parent (WM_TRANSIENT_FOR): KWin keeps it above the parent whatever it is asked.
// Activating the parent raises the parent alone and lifts the dialog back on top of it, while
// KWin's own order still holds the dialog where it was, under the window focused before; a window
// put below the parent went below that old place until the overlay was put right.
TEST_F(OnKWin, ActivatingAParentUnderItsDialogDimsTheWindowFocusedBefore) {
    const auto [parent, dialog] = startWithDialog("--transient", 300);
    const auto b = startApp("beta", "3366cc", "300x200+600+150");
    control->activate(b);
    ASSERT_TRUE(startEngineBelow(b));
    EXPECT_TRUE(soonShows(parent, dimmed(kMulti)));

    control->activate(parent);
    EXPECT_TRUE(soon([&] { return overlayDirectlyBelow(parent); }));
    EXPECT_TRUE(soonShows(b, dimmed(kBeta)));
    EXPECT_TRUE(soonShows(parent, kMulti));
    EXPECT_TRUE(soonShows(dialog, kMulti));
    // The cross-fade over, one overlay is left, still in its place.
    EXPECT_TRUE(soon([&] { return overlaysOn(0) == 1; }));
    EXPECT_TRUE(overlayDirectlyBelow(parent));
    EXPECT_EQ(control->activeWindow(), parent);
    expectCleanExit();
}

// A dialog lowered by its program: KWin lowers its parent with it, under the other application's
// window, and the overlay follows them down. Before, a focus change and a few restacks of a third
// window, each a change the overlay is checked against, all within a couple of seconds: no try
// to put the overlay back may be spent on a place KWin does not give.
TEST_F(OnKWin, ADialogLoweredWithItsParentTakesTheOverlayAlong) {
    const auto c = startApp("gamma", "33cc66", "200x150+1000+500");
    const auto [parent, dialog] = startWithDialog("--transient", 300);
    const auto b = startApp("beta", "3366cc", "300x200+600+150");
    control->activate(b);
    ASSERT_TRUE(startEngineBelow(b));
    const auto before = mappedOverlaysOn(0);
    control->activate(parent);
    // The cross-fade to the parent is over: another overlay, alone.
    ASSERT_TRUE(soon([&] {
        const auto now = mappedOverlaysOn(0);
        return now.size() == 1 && now != before;
    }));

    const auto index = [](const std::vector<xcb_window_t>& list, xcb_window_t w) {
        return std::find(list.begin(), list.end(), w) - list.begin();
    };
    // Kept above and back, the third window jumps to the top and returns to the bottom.
    for (const bool above : {true, false, true, false}) {
        control->setState(c, "ABOVE", above);
        ASSERT_TRUE(soon([&] {
            const auto list = control->stackingList(); // bottom to top
            return above ? index(list, c) > index(list, dialog) : index(list, c) < index(list, b);
        }));
    }

    control->lower(dialog);
    ASSERT_TRUE(soon([&] {
        const auto list = control->stackingList();
        return index(list, dialog) < index(list, b) && index(list, parent) < index(list, b);
    }));
    EXPECT_TRUE(soon([&] { return overlayDirectlyBelow(parent); }));
    EXPECT_TRUE(soonShows(parent, kMulti));
    EXPECT_TRUE(soonShows(dialog, kMulti));
    // Above the focused application now, they stay bright.
    EXPECT_TRUE(soonShows(b, kBeta));
    EXPECT_TRUE(soonShows(c, kGamma));
    EXPECT_EQ(control->activeWindow(), parent);
    expectCleanExit();
}

} // namespace
} // namespace tavrilux::e2e