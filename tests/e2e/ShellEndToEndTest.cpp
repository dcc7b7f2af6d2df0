#include "ShellEndToEndFixture.h"

#include <gtest/gtest.h>

namespace tavrilux::e2e::shell {
namespace {

TEST_F(ShellEndToEndTest, HotKeyTogglesOncePerPressAndTheDotAndOverlaysFollow) {
    startAlpha();
    launch();
    ASSERT_TRUE(soon([&] { return dot() == 'g' && overlays() > 0; }, 10s));
    // trayer is light grey and announces no colours: the umbrella takes the palette's dark text.
    EXPECT_GT(iconPixels([](const auto& p) { return p.red + p.green + p.blue < 150; }), 20);
    // Once it announces an orange foreground, the umbrella is drawn in it.
    ASSERT_TRUE(sh("for w in $(xdotool search --name '^trayer$'); do xprop -id $w -f "
                   "_NET_SYSTEM_TRAY_COLORS 32c -set _NET_SYSTEM_TRAY_COLORS "
                   "65535,32896,0,0,0,0,0,0,0,0,0,0; done")); // foreground, error, warning, success

    ASSERT_TRUE(sh("xdotool key super+alt+o"));
    EXPECT_TRUE(soon([&] { return stored() == false && overlays() == 0 && dot() == 'r'; }));
    const auto orange = [](const auto& p) {
        return p.red > 240 && std::abs(p.green - 128) < 12 && p.blue < 16;
    };
    EXPECT_TRUE(soon([&] { return iconPixels(orange) > 20; }));

    // Held for many repeats: one toggle.
    ASSERT_TRUE(sh("xdotool keydown super+alt+o sleep 1.5 keyup o alt super"));
    EXPECT_TRUE(soon([&] { return stored() == true && overlays() > 0 && dot() == 'g'; }));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(said("[HotKey] Alt+Super+O toggled dimming"), 2u) << app->standardError();
    // With Caps Lock on, then with Num Lock on.
    ASSERT_TRUE(sh("xdotool key Caps_Lock super+alt+o Caps_Lock Num_Lock super+alt+o Num_Lock"));
    EXPECT_TRUE(soon([&] { return said("toggled dimming") == 4; }));

    // The server goes away right after a change: the change is on disk all the same.
    ASSERT_TRUE(sh("xdotool key super+alt+o"));
    ASSERT_TRUE(soon([&] { return said("toggled dimming") == 5; }));
    desktop->killServer();
    EXPECT_EQ(app->waitForExit(10s), 1);
    EXPECT_EQ(said("the connection to the X server was lost"), 1u) << app->standardError();
    EXPECT_EQ(stored(), false);
}

TEST_F(ShellEndToEndTest, HotKeyFollowsOAcrossKeymapChangesAndSaysWhenItComesAndGoes) {
    const std::string missing = "[HotKey] O is not on the keyboard; Alt+Super+O waits for it";
    const std::string back = "[HotKey] O is on the keyboard now";
    const std::string registered = "[HotKey] Registered Alt+Super+O";
    const std::string toggled = "[HotKey] Alt+Super+O toggled dimming";
    // Whether another program's grab of Alt+Super on `key` is refused (asked only while the
    // application is not claiming keys, which this grab would disturb).
    const auto taken = [&](xcb_keycode_t key) {
        xcb_generic_error_t* error = xcb_request_check(
            c(), xcb_grab_key_checked(c(), 1, control->root(), XCB_MOD_MASK_1 | XCB_MOD_MASK_4, key,
                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        if (error == nullptr) {
            xcb_ungrab_key(c(), key, control->root(), XCB_MOD_MASK_1 | XCB_MOD_MASK_4);
            std::free(xcb_get_input_focus_reply(c(), xcb_get_input_focus(c()), nullptr));
        }
        const bool refused = error != nullptr && error->error_code == XCB_ACCESS;
        std::free(error);
        return refused;
    };
    startAlpha();
    // Xvfb has O on keycode 32, P on 33; Dvorak puts O on 39. O is gone before the start.
    ASSERT_TRUE(sh("xmodmap -pke | grep -q '^keycode  32 = o O'"));
    ASSERT_TRUE(sh("xmodmap -e 'keycode 32 ='"));
    launch();
    EXPECT_EQ(said(missing), 1u) << app->standardError();

    // The combination on that key is nobody's; with O mapped there it toggles. (A toggle of the
    // first press would be said before the keymap change that follows it.)
    ASSERT_TRUE(sh("xdotool key super+alt+32"));
    ASSERT_TRUE(sh("xmodmap -e 'keycode 32 = o O o O'"));
    ASSERT_TRUE(soon([&] { return said(registered) == 1; }, 20s)) << app->standardError();
    EXPECT_EQ(said(back), 1u);
    EXPECT_EQ(said(toggled), 0u) << "pressed before O was on the keyboard";
    ASSERT_TRUE(sh("xdotool key super+alt+32"));
    EXPECT_TRUE(soon([&] { return said(toggled) == 1 && stored() == false; }));

    // O moves to P's key, by way of being on both: the old key is given back.
    ASSERT_TRUE(sh("xmodmap -e 'keycode 33 = o O o O'"));
    ASSERT_TRUE(soon([&] { return said(registered) == 2; }, 20s));
    EXPECT_TRUE(taken(32) && taken(33));
    ASSERT_TRUE(sh("xmodmap -e 'keycode 32 = p P p P'"));
    ASSERT_TRUE(soon([&] { return said(registered) == 3; }, 20s));
    EXPECT_FALSE(taken(32)) << "the key O left";
    EXPECT_TRUE(taken(33));
    ASSERT_TRUE(sh("xdotool key super+alt+33"));
    EXPECT_TRUE(soon([&] { return said(toggled) == 2 && stored() == true; }));

    // A layout switch moves it again.
    ASSERT_TRUE(sh("setxkbmap -layout us -variant dvorak"));
    ASSERT_TRUE(soon([&] { return said(registered) == 4; }, 20s));
    EXPECT_FALSE(taken(33));
    ASSERT_TRUE(sh("xdotool key super+alt+39"));
    EXPECT_TRUE(soon([&] { return said(toggled) == 3 && stored() == false; }));

    // O leaves the keyboard, and comes back.
    ASSERT_TRUE(sh("xmodmap -e 'keycode 39 ='"));
    ASSERT_TRUE(soon([&] { return said(missing) == 2; }, 20s));
    EXPECT_FALSE(taken(39));
    ASSERT_TRUE(sh("setxkbmap -layout us"));
    ASSERT_TRUE(soon([&] { return said(registered) == 5; }, 20s));
    EXPECT_EQ(said(back), 2u);
    ASSERT_TRUE(sh("xdotool key super+alt+32"));
    EXPECT_TRUE(soon([&] { return said(toggled) == 4 && stored() == true; }));
    EXPECT_EQ(said("RegisterEventHotKey failed"), 0u) << app->standardError();
}

TEST_F(ShellEndToEndTest, PanelNeverTakesTheActivationAndClosesOnAnyWayOut) {
    const auto alpha = startAlpha();
    // Another program holds the hot key: said once, and everything else goes on.
    xcb_grab_key(c(), 1, control->root(), XCB_MOD_MASK_1 | XCB_MOD_MASK_4, XCB_GRAB_ANY,
                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    xcb_flush(c());
    launch();
    EXPECT_EQ(said("[HotKey] RegisterEventHotKey failed: 10"), 1u) << app->standardError();
    // It gave back what it had taken: with Caps Lock or Num Lock the combination is free.
    for (const std::uint16_t lock : {XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2}) {
        xcb_generic_error_t* held = xcb_request_check(
            c(),
            xcb_grab_key_checked(c(), 1, control->root(), XCB_MOD_MASK_1 | XCB_MOD_MASK_4 | lock,
                                 XCB_GRAB_ANY, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        EXPECT_EQ(held, nullptr) << lock;
        std::free(held);
    }
    std::optional<DesktopControl::Geometry> shownIcon;
    ASSERT_TRUE(soon([&] { return (shownIcon = trayIcon()) && overlays() > 0; }, 10s));
    const auto icon = *shownIcon;

    clickIcon();
    const auto shownPanel = soonPanel();
    ASSERT_TRUE(shownPanel);
    EXPECT_EQ(control->activeWindow(), alpha);
    const xcb_window_t panelWindow = *shownPanel;
    const auto panel = geometryOf(panelWindow);
    EXPECT_LE(panel.y + panel.height, icon.y) << "above the bottom tray";
    EXPECT_LE(panel.x + panel.width, testdesktop::TestDesktop::kMonitorWidth);
    EXPECT_TRUE(
        sh("xprop -id " + std::to_string(panelWindow) +
           " _NET_WM_STATE | grep _NET_WM_STATE_SKIP_TASKBAR | grep -q _NET_WM_STATE_SKIP_PAGER"));
    // Any button outside closes it.
    ASSERT_TRUE(sh("xdotool mousemove 300 250 click 3"));
    EXPECT_TRUE(soon([&] { return panels() == 0; }));
    clickIcon();
    ASSERT_TRUE(soon([&] { return panels() == 1; }));
    ASSERT_TRUE(sh("xdotool mousemove 300 250 click 1"));
    EXPECT_TRUE(soon([&] { return panels() == 0; }));
    // The middle button (pasting in a terminal) too; a wheel turned outside is no click. The
    // panel must go with the middle press, not before it: that is their order on the server.
    clickIcon();
    const auto shownAgain = soonPanel();
    ASSERT_TRUE(shownAgain);
    testdesktop::PressLog log(desktop->display());
    const xcb_window_t middle = *shownAgain;
    log.watch(middle);
    ASSERT_TRUE(sh("xdotool mousemove 300 250 click 4 click 5 click 6 click 7 click 2"));
    ASSERT_TRUE(log.waitUntil([&](const auto&) { return log.indexOf(gone(middle)) >= 0; }))
        << "the middle button closes the panel";
    EXPECT_GT(log.indexOf(gone(middle)), log.indexOf(pressOf(2))) << "not the wheel";
    EXPECT_EQ(panels(), 0);

    // A storm of clicks never shows two panels; the last click still decides.
    ASSERT_TRUE(sh("xdotool mousemove " + std::to_string(icon.x + 10) + " " +
                   std::to_string(icon.y + 10) + " click --repeat 9 --delay 30 1"));
    int most = 0;
    for (int i = 0; i < 40; ++i, std::this_thread::sleep_for(20ms)) {
        most = std::max(most, panels());
    }
    EXPECT_LE(most, 1);
    const int before = panels();
    clickIcon();
    EXPECT_TRUE(soon([&] { return panels() == 1 - before; }));

    if (panels() == 0) {
        clickIcon();
        ASSERT_TRUE(soon([&] { return panels() == 1; }));
    }
    // A display goes away while the panel shows.
    ASSERT_TRUE(sh("xrandr --delmonitor tavrilux-right && xrandr --noprimary && "
                   "xrandr --output screen --primary"));
    EXPECT_TRUE(soon([&] { return panels() == 0; }));

    choose("Up Return"); // the last item: Quit
    EXPECT_EQ(app->waitForExit(5s), 0) << app->standardError();
    EXPECT_EQ(overlays(), 0);
}

// The shell on the reference desktop and on another window manager.
class ShellWorkAreaEndToEndTest : public ShellEndToEndTest,
                                  public testing::WithParamInterface<std::string> {
protected:
    testdesktop::TestDesktop::Options desktopOptions() const override {
        return {.windowManager = GetParam()};
    }
};

TEST_P(ShellWorkAreaEndToEndTest, ThePanelKeepsOutOfTheDocksOnItsMonitor) {
    // A tall bar along the top of the tray's monitor, and a taller one on the other monitor:
    // openbox publishes one work area for both, 160 pixels short at the top.
    startManagedClient(
        {"--class", "bar,Bar", "--type", "DOCK", "--geometry", "1280x120+0+0", "--strut", "top"});
    startManagedClient({"--class", "bar,Bar", "--type", "DOCK", "--geometry", "1280x160+1280+0",
                        "--strut", "top"});
    startAlpha();
    launch();
    std::optional<DesktopControl::Geometry> shownIcon;
    ASSERT_TRUE(soon([&] { return (shownIcon = trayIcon()).has_value(); }, 10s));
    const auto icon = *shownIcon;
    clickIcon();
    const auto shownPanel = soonPanel();
    ASSERT_TRUE(shownPanel);
    const auto panel = geometryOf(*shownPanel);
    EXPECT_GE(panel.y, 120) << "below the bar of its monitor";
    EXPECT_LT(panel.y, 160) << "the other monitor's bar is no matter here";
    EXPECT_LE(panel.y + panel.height, icon.y) << "above the bottom tray";
    EXPECT_GE(panel.x, 0);
    EXPECT_LE(panel.x + panel.width, testdesktop::TestDesktop::kMonitorWidth);
    EXPECT_EQ(app->terminate(), 0) << app->standardError();
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, ShellWorkAreaEndToEndTest,
                         testing::Values("openbox", "fluxbox"));

TEST_F(ShellEndToEndTest, ALostConnectionAndAKeymapWithoutOAreSaidOnce) {
    startAlpha();
    launch();
    // Only one of its own connections breaks, as xkill does: the toolkit's, then the overlays'.
    for (const std::size_t run : {1u, 2u}) {
        std::vector<xcb_window_t> icons;
        std::vector<xcb_window_t> shownOverlays;
        ASSERT_TRUE(soon(
            [&] {
                icons = windows("tavrilux", 0, 64);
                shownOverlays = windows("tavrilux-overlay");
                return !icons.empty() && !shownOverlays.empty();
            },
            10s));
        xcb_kill_client(c(), run == 1 ? icons.front() : shownOverlays.front());
        xcb_flush(c());
        EXPECT_EQ(app->waitForExit(10s), 1) << app->standardError();
        EXPECT_EQ(said("the connection to the X server was lost"), run) << app->standardError();
        app->restart();
    }

    // The whole server, while a first launch is still under way: it is held until the server is
    // gone, and goes on from there. The keymap has no O key now: that is said too.
    ASSERT_TRUE(sh("xmodmap -e 'keysym o ='"));
    app = std::make_unique<EngineProcess>(desktop->display(), EngineLook{},
                                          EngineProcess::Configuration::fresh);
    ASSERT_TRUE(soon([&] { return said("[HotKey] ") > 0; }, 10s));
    ::kill(app->pid(), SIGSTOP);
    desktop->killServer();
    // Gone once the test's own connection has broken too.
    EXPECT_TRUE(soon([&] { return !control->activeWindow() && xcb_connection_has_error(c()); }));
    ::kill(app->pid(), SIGCONT);
    EXPECT_EQ(app->waitForExit(10s), 1) << app->standardError();
    EXPECT_EQ(said("the connection to the X server was lost"), 1u) << app->standardError();
    EXPECT_EQ(said("[HotKey] O is not on the keyboard; Alt+Super+O waits for it"), 1u);
}

} // namespace
} // namespace tavrilux::e2e::shell
