#include "OverlayEndToEndFixture.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace tavrilux::e2e {
namespace {

TEST_F(OverlayEndToEndTest, FocusedApplicationsStayBrightAndEverythingElseIsTinted) {
    const auto a = startApp("alpha", "ff8800", "400x300+100+100");
    const auto b = startApp("beta", "3366cc", "400x300+700+300");
    const auto right = startApp("gamma", "33cc66", "400x300+1500+200");
    control->activate(right);
    control->activate(a);
    ASSERT_TRUE(soon([&] { return control->activeWindow() == a; }));
    // The desktop's colour is read once the compositor drew it (black until its first frame).
    Colour desktopBefore;
    ASSERT_TRUE(soon([&] {
        const Colour now = control->pixel(640, 750);
        const bool settled = now.red == desktopBefore.red && now.green == desktopBefore.green &&
                             now.blue == desktopBefore.blue && now.red + now.green + now.blue > 0 &&
                             control->centrePixel(a).red == 0xff;
        desktopBefore = now;
        std::this_thread::sleep_for(50ms);
        return settled;
    }));

    // The evening preset's orange, at a strength that shows every channel.
    const EngineLook orange{0.6, 0.25, 234 / 255.0, 88 / 255.0, 12 / 255.0};
    ASSERT_TRUE(startEngineBelow(a, orange));
    ASSERT_TRUE(soon([&] { return overlayDirectlyBelow(right); }));
    std::this_thread::sleep_for(800ms); // the fade-in and a compositor frame
    EXPECT_EQ(overlaysOn(0), 1);
    EXPECT_EQ(overlaysOn(kRight), 1);

    expectNear(control->centrePixel(a), kAlpha, 1, "the focused window is untouched");
    expectNear(control->centrePixel(b), dimmed(kBeta, orange), 2, "another window is tinted");
    expectNear(control->pixel(640, 750), dimmed(desktopBefore, orange), 2, "the desktop is tinted");
    expectNear(control->centrePixel(right), kGamma, 1, "the right monitor's focused window");

    // Another application takes the focus: it is bright now, and the former one tinted.
    control->activate(b);
    ASSERT_TRUE(soon([&] { return overlaysOn(0) == 1 && overlayDirectlyBelow(b); }, 3s));
    std::this_thread::sleep_for(300ms);
    expectNear(control->centrePixel(b), kBeta, 1, "the new application is bright");
    expectNear(control->centrePixel(a), dimmed(kAlpha, orange), 2, "the former one is tinted");
    expectCleanExit();
}

TEST_F(OverlayEndToEndTest, AnchorWindowDestroyedUnderTheOverlay) {
    const auto a = startApp("alpha", "ff8800", "400x300+100+100");
    const auto b = startApp("beta", "3366cc", "400x300+700+300");
    control->activate(b);
    control->activate(a);
    ASSERT_TRUE(startEngineBelow(a));
    desktop->stopClient(clients[0]);
    ASSERT_TRUE(soon([&] { return overlayDirectlyBelow(b); }));
    ASSERT_TRUE(soon([&] { return overlaysOn(0) == 1; }, 3s));
    expectCleanExit();
}

TEST_F(OverlayEndToEndTest, MonitorRemovedDuringAFade) {
    const auto a = startApp("alpha", "ff8800", "400x300+100+100");
    const auto right = startApp("gamma", "33cc66", "400x300+1500+200");
    const auto other = startApp("delta", "cc3366", "400x300+1700+300");
    control->activate(right);
    control->activate(a);
    ASSERT_TRUE(startEngineUntil([&] { return overlaysOn(kRight) == 1; }, EngineLook{0.5, 2.0}));
    std::this_thread::sleep_for(2500ms);
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

TEST_F(OverlayEndToEndTest, WorkspaceSwitchLeavesNoOverlayBehindAndReturnsWithTheWindow) {
    const auto a = startApp("alpha", "ff8800", "400x300+100+100");
    control->activate(a);
    ASSERT_TRUE(startEngineBelow(a));
    // The second desktop is empty: nothing is dimmed there.
    control->switchDesktop(1);
    EXPECT_TRUE(soon([&] { return overlaysOn(0) == 0; }, 3s));
    control->switchDesktop(0);
    EXPECT_TRUE(soon([&] { return overlayDirectlyBelow(a); }, 3s));
    EXPECT_EQ(overlaysOn(0), 1);
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

TEST_F(OverlayEndToEndTest, LostXServerEndsTheEngineWithAFailureStatus) {
    const auto a = startApp("alpha", "ff8800", "400x300+100+100");
    control->activate(a);
    ASSERT_TRUE(startEngineBelow(a));
    desktop->killServer();
    const auto status = engine->waitForExit(10s);
    ASSERT_TRUE(status) << "still running without its X server";
    EXPECT_EQ(*status, 1);
    EXPECT_EQ(engine->said("the connection to the X server was lost"), 1u)
        << engine->standardError();
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

// Restacks that change no focus: keep-below and back, raised above the focused window.
TEST_F(OverlayEndToEndTest, RestacksWithoutAFocusChangePutTheOverlayBackBelowTheFocusedWindow) {
    const auto other = startApp("gamma", "33cc66", "400x300+700+300");
    const auto a = startApp("alpha", "ff8800", "400x300+100+100");
    control->activate(a);
    ASSERT_TRUE(startEngineBelow(a));
    control->setState(other, "BELOW", true);
    control->setState(other, "BELOW", false);
    EXPECT_TRUE(soon([&] { return overlayDirectlyBelow(a); }));
    EXPECT_TRUE(soonShows(other, dimmed(kGamma)));
    // Kept above the focused window: above the overlay too, and the focus stays.
    control->setState(other, "ABOVE", true);
    std::this_thread::sleep_for(500ms); // a few polls of the engine
    EXPECT_TRUE(overlayDirectlyBelow(a));
    EXPECT_TRUE(soonShows(other, kGamma));
    EXPECT_TRUE(soonShows(a, kAlpha));
    EXPECT_EQ(control->activeWindow(), a);
}

TEST_F(OverlayEndToEndTest, AWindowWithoutAPidIsDimmedAroundLikeAnyOther) {
    const auto under = startApp("beta", "3366cc", "400x300+700+300");
    const auto logo = startApp("alpha", "ff8800", "400x300+100+100", {"--no-pid"});
    control->activate(logo);
    ASSERT_TRUE(startEngineBelow(logo));
    EXPECT_TRUE(soonShows(under, dimmed(kBeta)));
    EXPECT_TRUE(soonShows(logo, kAlpha));
}

// fluxbox keeps its stacking list in the order windows came; the real order is the frames'.
TEST_F(OnFluxbox, TheOverlayFollowsTheRaisedWindowNotTheListsOrder) {
    const auto a = startApp("alpha", "ff8800", "400x300+100+100");
    const auto b = startApp("beta", "3366cc", "400x300+700+300");
    control->activate(a);
    ASSERT_TRUE(startEngineBelow(a));
    EXPECT_TRUE(soonShows(b, dimmed(kBeta)));
    control->activate(b);
    EXPECT_TRUE(soon([&] { return overlayDirectlyBelow(b); }));
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
// selection while compositing is blocked.
TEST_F(OnKWin, TheFocusedWindowStaysBrightAndOverlaysHideWhileCompositingIsBlocked) {
    const auto b = startApp("beta", "3366cc", "400x300+700+300");
    const auto a = startApp("alpha", "ff8800", "400x300+100+100");
    control->activate(a);
    ASSERT_TRUE(startEngineBelow(a));
    EXPECT_TRUE(soonShows(a, kAlpha));
    EXPECT_TRUE(soonShows(b, dimmed(kBeta)));

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
    EXPECT_TRUE(soon([&] { return overlayDirectlyBelow(a); }));
    expectCleanExit();
}

} // namespace
} // namespace tavrilux::e2e
