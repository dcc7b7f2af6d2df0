#include "EngineProcess.h"
#include "PressLog.h"
#include "TestDesktopFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace tavrilux::e2e {
namespace {

using testdesktop::DesktopControl;
using namespace std::chrono_literals;

bool soon(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s) {
    return DesktopControl::waitUntil(condition, timeout);
}

// WCAG 2 contrast of two sRGB colours, 1 to 21.
double contrast(const DesktopControl::Colour& a, const DesktopControl::Colour& b) {
    const auto luminance = [](const DesktopControl::Colour& c) {
        const auto linear = [](int channel) {
            const double v = channel / 255.0;
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.red) + 0.7152 * linear(c.green) + 0.0722 * linear(c.blue);
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool near(const DesktopControl::Colour& a, const DesktopControl::Colour& b, int by = 12) {
    return std::abs(a.red - b.red) <= by && std::abs(a.green - b.green) <= by &&
           std::abs(a.blue - b.blue) <= by;
}

std::string str(const DesktopControl::Colour& c) {
    return "(" + std::to_string(c.red) + "," + std::to_string(c.green) + "," +
           std::to_string(c.blue) + ")";
}

testdesktop::PressLog::Entry pressOf(std::uint32_t button) {
    return {testdesktop::PressLog::Entry::Kind::press, button};
}
testdesktop::PressLog::Entry gone(xcb_window_t window) {
    return {testdesktop::PressLog::Entry::Kind::gone, window};
}

// The whole application on the test desktop: its icon in trayer, its panel, menu and hot key.
class ShellEndToEndTest : public testdesktop::TestDesktopFixture {
protected:
    void TearDown() override {
        app.reset();
        TestDesktopFixture::TearDown();
    }

    bool sh(const std::string& command) {
        return std::system(("export DISPLAY=" + desktop->display() + "; " + command).c_str()) == 0;
    }

    // Viewable windows whose WM_CLASS starts with `instance`, anywhere in the tree, at least
    // `minWidth` and below `maxWidth` wide.
    std::vector<xcb_window_t> windows(const std::string& instance, int minWidth = 0,
                                      int maxWidth = 1 << 16, xcb_window_t top = 0) {
        std::vector<xcb_window_t> found;
        for (const xcb_window_t w : control->children(top ? top : control->root())) {
            const auto g = control->geometry(w);
            if (g && g->width >= minWidth && g->width < maxWidth && control->isViewable(w) &&
                control->wmClass(w).rfind(instance + '\0', 0) == 0) {
                found.push_back(w);
            }
            const auto below = windows(instance, minWidth, maxWidth, w);
            found.insert(found.end(), below.begin(), below.end());
        }
        return found;
    }
    // The status icon once the tray has placed it, inside the tray's own window: while the tray
    // makes room for it, it shows beside that window for a moment, where a click would miss it.
    std::optional<DesktopControl::Geometry> trayIcon() {
        const auto icons = windows("tavrilux", 0, 64);
        if (icons.empty() || control->topLevelOf(icons.front()) == icons.front()) {
            return std::nullopt;
        }
        const auto icon = control->geometry(icons.front());
        const auto tray = control->frameGeometry(icons.front());
        const bool placed = icon && tray && icon->x >= tray->x && icon->y >= tray->y &&
                            icon->x + icon->width <= tray->x + tray->width &&
                            icon->y + icon->height <= tray->y + tray->height;
        return placed ? icon : std::nullopt;
    }
    // Right-clicks the icon and picks from its menu (About, Settings, Quit) with `keys`: each
    // time a little aside from the last, so that two quick ones make no double click.
    void choose(const std::string& keys) {
        clickIcon(3, ++menus_ % 2 == 0 ? 6 : -6);
        // The menu: small, and below the width of the About window.
        ASSERT_TRUE(soon([&] { return !windows("tavrilux", 64, 200).empty(); }));
        ASSERT_TRUE(sh("xdotool key " + keys));
    }
    // The quick panel, not the wider settings window.
    int panels() { return static_cast<int>(windows("tavrilux", 300, 500).size()); }
    // The first window `windows()` finds, once one shows (or `count` of them); none when none
    // came in time. Read once, where the condition held.
    std::optional<xcb_window_t> soonShown(const std::string& instance, int minWidth, int maxWidth,
                                          std::chrono::milliseconds timeout = 5s,
                                          std::size_t count = 0) {
        std::vector<xcb_window_t> shown;
        if (!soon(
                [&] {
                    shown = windows(instance, minWidth, maxWidth);
                    return count == 0 ? !shown.empty() : shown.size() == count;
                },
                timeout)) {
            return std::nullopt;
        }
        return shown.front();
    }
    // The quick panel once it shows, alone.
    std::optional<xcb_window_t> soonPanel() { return soonShown("tavrilux", 300, 500, 5s, 1); }
    // Where `w` lies now; a failure when it is gone.
    DesktopControl::Geometry geometryOf(xcb_window_t w) {
        const auto g = control->geometry(w);
        EXPECT_TRUE(g.has_value()) << "window " << w << " is gone";
        return g.value_or(DesktopControl::Geometry{});
    }
    int overlays() { return static_cast<int>(windows("tavrilux-overlay").size()); }

    // The status dot's colour: 'g' green, 'r' red, '?' anything else.
    char dot() {
        const auto icon = trayIcon();
        if (!icon) {
            return '?';
        }
        const int d = icon->width / 3;
        const auto p =
            control->pixel(icon->x + icon->width - 1 - d / 2, icon->y + icon->height - d / 2);
        return p.green > 150 && p.red < 120 ? 'g' : p.red > 200 && p.green < 120 ? 'r' : '?';
    }

    // Pixels of the icon above its dot that `matches` accepts.
    int iconPixels(const std::function<bool(const DesktopControl::Colour&)>& matches) {
        const auto icon = trayIcon();
        int found = 0;
        for (int i = 0; icon && i < icon->width * icon->height * 2 / 3; ++i) {
            found += matches(control->pixel(icon->x + i % icon->width, icon->y + i / icon->width));
        }
        return found;
    }

    // The umbrella as the screen shows it: the tray around it (the icon's top-left corner, which
    // the glyph leaves clear) and its body, the commonest colour of the icon apart from the tray,
    // the status dot and its edge's blend.
    struct Umbrella {
        DesktopControl::Colour tray;
        DesktopControl::Colour body;
        double contrast() const { return e2e::contrast(tray, body); }
        std::string describe() const { return str(body) + " on " + str(tray); }
    };
    std::optional<Umbrella> umbrella() {
        const auto icon = trayIcon();
        if (!icon) {
            return std::nullopt;
        }
        const auto tray = control->pixel(icon->x, icon->y);
        const int d = icon->width / 3;
        std::map<std::array<int, 3>, int> seen;
        for (int y = 0; y < icon->height; ++y) {
            for (int x = 0; x < icon->width; ++x) {
                if (x >= icon->width - d - 2 && y >= icon->height - d - 1) {
                    continue; // the dot
                }
                const auto p = control->pixel(icon->x + x, icon->y + y);
                if (!near(p, tray, 24)) {
                    ++seen[{p.red, p.green, p.blue}];
                }
            }
        }
        const auto commonest =
            std::max_element(seen.begin(), seen.end(),
                             [](const auto& a, const auto& b) { return a.second < b.second; });
        if (commonest == seen.end() || commonest->second < 5) {
            return std::nullopt;
        }
        const auto& [r, g, b] = commonest->first;
        return Umbrella{tray, {r, g, b}};
    }

    // The window that owns the tray selection now; 0 without a tray.
    xcb_window_t trayManager() {
        const auto owner = xcb_get_selection_owner_reply(
            c(), xcb_get_selection_owner(c(), control->atom("_NET_SYSTEM_TRAY_S0")), nullptr);
        const xcb_window_t window = owner != nullptr ? owner->owner : 0;
        std::free(owner);
        return window;
    }
    // The foreground of _NET_SYSTEM_TRAY_COLORS on `manager`, as a tray sets it; none removes it.
    void setTrayColours(xcb_window_t manager, std::optional<std::array<std::uint16_t, 3>> rgb) {
        const xcb_atom_t colours = control->atom("_NET_SYSTEM_TRAY_COLORS");
        if (!rgb) {
            xcb_delete_property(c(), manager, colours);
        } else {
            // Foreground, error, warning and success.
            const std::array<std::uint32_t, 12> value{
                (*rgb)[0], (*rgb)[1], (*rgb)[2], 0xffff, 0, 0, 0xffff, 0xffff, 0, 0, 0xffff, 0};
            xcb_change_property(c(), XCB_PROP_MODE_REPLACE, manager, colours, XCB_ATOM_CARDINAL, 32,
                                static_cast<std::uint32_t>(value.size()), value.data());
        }
        xcb_flush(c());
    }
    // Ends the running trayer and starts another one with `options`, as the desktop starts it
    // otherwise; returns its tray manager window. (It ends with the X server.)
    xcb_window_t restartTrayer(const std::string& options) {
        const xcb_window_t before = trayManager();
        EXPECT_TRUE(sh("kill $(xdotool search --limit 1 --class trayer getwindowpid)"));
        EXPECT_TRUE(
            soon([&] { return trayManager() != before && !sh("xdotool search --class trayer"); }));
        EXPECT_TRUE(sh("trayer --edge bottom --align right --widthtype request --height 24 "
                       "--monitor primary " +
                       options + " >/dev/null 2>&1 &"));
        EXPECT_TRUE(soon([&] { return trayManager() != 0; }, 10s));
        return trayManager();
    }

    void clickIcon(int button = 1, int aside = 0) {
        const auto icon = trayIcon();
        ASSERT_TRUE(icon);
        ASSERT_TRUE(sh("xdotool mousemove " + std::to_string(icon->x + icon->width / 2 + aside) +
                       " " + std::to_string(icon->y + icon->height / 2) + " click " +
                       std::to_string(button)));
    }
    xcb_window_t startAlpha() {
        const auto alpha =
            startManagedClient({"--class", "alpha,alpha", "--geometry", "400x300+100+100"})
                .windows.at(0);
        control->activate(alpha);
        return alpha;
    }

    // "dimming.isEnabled" as the application last wrote it.
    std::optional<bool> stored() {
        std::smatch match;
        const std::string json = app->storedSettings();
        if (!std::regex_search(json, match, std::regex(R"("dimming.isEnabled": *(true|false))"))) {
            return std::nullopt;
        }
        return match[1] == "true";
    }
    std::size_t said(const std::string& line) { return app->said(line); }

    // The 32-bit values of a window's property, whatever its type; empty while it has none.
    std::vector<std::uint32_t> values(xcb_window_t window, const std::string& property) {
        xcb_get_property_reply_t* reply =
            xcb_get_property_reply(c(),
                                   xcb_get_property(c(), 0, window, control->atom(property),
                                                    XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
                                   nullptr);
        std::vector<std::uint32_t> found;
        if (reply != nullptr && reply->format == 32) {
            const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
            found.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
        return found;
    }
    // Whether the window manager lets the user do `action` (_NET_WM_ACTION_...) to `window`.
    bool allows(xcb_window_t window, const std::string& action) {
        const auto actions = values(window, "_NET_WM_ALLOWED_ACTIONS");
        return std::find(actions.begin(), actions.end(),
                         control->atom("_NET_WM_ACTION_" + action)) != actions.end();
    }

    void launch() {
        app = std::make_unique<EngineProcess>(desktop->display(), EngineLook{});
        ASSERT_TRUE(soon([&] { return said("[HotKey] ") > 0; }, 10s)) << app->standardError();
    }

    std::unique_ptr<EngineProcess> app;
    int menus_ = 0;
};

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

TEST_F(ShellEndToEndTest, WithoutATrayItKeepsDimmingAndTheIconComesWithATray) {
    ASSERT_TRUE(sh("kill $(xdotool search --limit 1 --class trayer getwindowpid)"));
    ASSERT_TRUE(soon([&] { return !sh("xdotool search --class trayer"); }));
    startAlpha();
    launch();
    ASSERT_TRUE(soon([&] { return overlays() > 0; }, 10s));
    ASSERT_TRUE(sh("xdotool key super+alt+o"));
    EXPECT_TRUE(soon([&] { return stored() == false && overlays() == 0; }));

    // A tray host comes (back), a dark one: the icon embeds with the current state, its
    // umbrella light. (It ends with the X server.)
    ASSERT_TRUE(sh("trayer --edge bottom --align right --widthtype request --height 24 "
                   "--tint 0x202020 --transparent true --alpha 0 >/dev/null 2>&1 &"));
    std::optional<DesktopControl::Geometry> icon;
    ASSERT_TRUE(soon([&] { return dot() == 'r' && (icon = trayIcon()); }, 10s));
    EXPECT_GT(iconPixels([](const auto& p) { return p.red + p.green + p.blue > 360; }), 20);
    const auto corner = control->pixel(icon->x, icon->y);
    EXPECT_LT(corner.red + corner.green + corner.blue, 150) << "the tray shows around it";
    clickIcon();
    EXPECT_TRUE(soon([&] { return panels() == 1; }));
    EXPECT_EQ(said("no system tray"), 1u) << app->standardError();
    EXPECT_EQ(said("[HotKey] Registered Alt+Super+O"), 1u);
    EXPECT_EQ(app->terminate(), 0);
    EXPECT_EQ(overlays(), 0);
}

TEST_F(ShellEndToEndTest, OnTraysThatNameNoColoursTheUmbrellaStandsOutLightOrDark) {
    // A dark tray (trayer tinted nearly black), then the light one, then a mid-grey one: each
    // time a tray of its own, the icon embedding anew.
    const struct {
        const char* options;
        std::function<bool(int)> trayLightness; // of the tray's grey
    } trays[] = {
        {"--tint 0x202020 --transparent true --alpha 0", [](int v) { return v < 60; }},
        {"", [](int v) { return v > 180; }},
        {"--tint 0x808080 --transparent true --alpha 0", [](int v) { return v > 100 && v < 160; }},
    };
    restartTrayer(trays[0].options);
    launch();
    for (const auto& tray : trays) {
        if (&tray != &trays[0]) {
            restartTrayer(tray.options);
        }
        std::optional<Umbrella> seen;
        EXPECT_TRUE(soon(
            [&] {
                seen = umbrella();
                return seen && tray.trayLightness(seen->tray.green) && seen->contrast() >= 3.0 &&
                       dot() == 'g';
            },
            10s))
            << tray.options << ": " << (seen ? seen->describe() : "no umbrella") << " "
            << (seen ? seen->contrast() : 0.0) << ":1, dot " << dot();
    }
    EXPECT_EQ(said("toggled"), 0u);
}

TEST_F(ShellEndToEndTest, TheUmbrellaFollowsTheTraysColoursWhileItRunsAndANewTray) {
    launch();
    ASSERT_TRUE(soon([&] { return dot() == 'g' && umbrella().has_value(); }, 10s));
    const auto bodyNear = [&](const DesktopControl::Colour& colour) {
        std::optional<Umbrella> seen;
        const bool reached = soon([&] {
            seen = umbrella();
            return seen && near(seen->body, colour);
        });
        EXPECT_TRUE(reached) << "wanted " << str(colour) << ", shows "
                             << (seen ? seen->describe() : "no umbrella");
        return reached;
    };
    const xcb_window_t manager = trayManager();
    ASSERT_NE(manager, 0u);
    setTrayColours(manager, std::array<std::uint16_t, 3>{0xffff, 0x8080, 0});
    bodyNear({255, 128, 0});
    setTrayColours(manager, std::array<std::uint16_t, 3>{0, 0x6060, 0xffff});
    bodyNear({0, 96, 255});
    // Named no more: back to a colour of its own, dark on the light tray.
    setTrayColours(manager, std::nullopt);
    std::optional<Umbrella> seen;
    EXPECT_TRUE(soon([&] {
        seen = umbrella();
        return seen && seen->contrast() >= 3.0 && seen->body.red + seen->body.green < 150;
    })) << (seen ? seen->describe() : "no umbrella");

    // The tray restarts: the new one's colours are followed as well.
    const xcb_window_t next = restartTrayer("");
    ASSERT_TRUE(soon([&] { return dot() == 'g' && umbrella().has_value(); }, 10s));
    setTrayColours(next, std::array<std::uint16_t, 3>{0xffff, 0x8080, 0});
    bodyNear({255, 128, 0});
    EXPECT_EQ(said("toggled"), 0u) << "never switched off and on";
}

TEST_F(ShellEndToEndTest, AFirstLaunchWalksThroughTheOnboardingAndALaterOneShowsOnlyTheIcon) {
    startAlpha();
    app = std::make_unique<EngineProcess>(desktop->display(), EngineLook{},
                                          EngineProcess::Configuration::fresh);
    const auto onboarding = [&]() -> std::optional<DesktopControl::Geometry> {
        const auto shown = windows("tavrilux", 680, 681);
        return shown.empty() ? std::nullopt : control->geometry(shown.front());
    };
    const auto entry = app->configHome() / "autostart/com.mirtal.tavrilux.dev.desktop";
    ASSERT_TRUE(
        soon([&] { return onboarding() && std::filesystem::exists(entry) && overlays() > 0; }, 15s))
        << app->standardError();
    EXPECT_EQ(app->standardOutput(), "");

    // Quit before choosing: the next start is a first launch again, and start at login fails.
    EXPECT_EQ(app->terminate(), 0) << app->standardError();
    std::filesystem::remove_all(entry.parent_path());
    std::ofstream(entry.parent_path()) << "a file where the folder belongs";
    app->restart();
    ASSERT_TRUE(soon([&] { return onboarding().has_value(); }, 15s));
    EXPECT_EQ(app->standardOutput().rfind("LoginItem.setEnabled(true) on first launch failed: ", 0),
              0u)
        << app->standardOutput();
    EXPECT_EQ(app->terminate(), 0) << app->standardError();
    std::filesystem::remove(entry.parent_path());

    app->restart();
    std::optional<DesktopControl::Geometry> shown;
    ASSERT_TRUE(soon([&] { return (shown = onboarding()).has_value(); }, 15s));
    const auto window = *shown;
    const auto click = [&](int x, int y) {
        ASSERT_TRUE(sh("xdotool mousemove " + std::to_string(window.x + x) + " " +
                       std::to_string(window.y + y) + " click 1"));
        std::this_thread::sleep_for(1200ms); // the next page slides in
    };
    click(340, 445); // the buttons sit centred, 40 points above the bottom
    click(340, 445);
    click(552, 150); // the evening card
    click(340, 445);
    click(340, 445);
    EXPECT_TRUE(soon([&] { return !onboarding() && panels() == 1; }))
        << "the quick panel opens at the icon";
    EXPECT_TRUE(
        std::regex_search(app->storedSettings(), std::regex(R"("dimming.activeMode": *"evening")")))
        << app->storedSettings();
    EXPECT_EQ(app->terminate(), 0);

    app->restart();
    ASSERT_TRUE(soon([&] { return trayIcon().has_value(); }, 15s));
    std::this_thread::sleep_for(1s);
    EXPECT_FALSE(onboarding()) << "a later launch shows only the icon";
}

TEST_F(ShellEndToEndTest, FinishingTheOnboardingLeavesAPanelOpenedFromTheTrayOpen) {
    startAlpha();
    app = std::make_unique<EngineProcess>(desktop->display(), EngineLook{},
                                          EngineProcess::Configuration::fresh);
    const auto shownOnboarding = soonShown("tavrilux", 680, 681, 15s);
    ASSERT_TRUE(shownOnboarding) << app->standardError();
    const xcb_window_t onboarding = *shownOnboarding;
    const auto window = geometryOf(onboarding);
    // The pages' blue buttons sit centred 55 pixels above the bottom: "Get started" 113 wide,
    // "Continue" 100, the last page's 140. A page has come when its button is in place (within
    // a few pixels: blue over its width, dark just beyond) and its dot at the bottom is blue.
    const auto blue = [&](int x, int y) {
        const auto p = control->pixel(window.x + x, window.y + y);
        return p.blue > 200 && p.red < 120;
    };
    const auto buttonFrom = [&](int left, int right) {
        return blue(left + 5, 445) && blue(right - 5, 445) && !blue(left - 4, 445) &&
               !blue(right + 4, 445);
    };
    const auto onPage = [&](int page) { return blue(322 + 12 * page, 472); };
    const auto next = [&] {
        ASSERT_TRUE(sh("xdotool mousemove " + std::to_string(window.x + 340) + " " +
                       std::to_string(window.y + 445) + " click 1"));
    };
    ASSERT_TRUE(soon([&] { return onPage(0) && buttonFrom(283, 396); }, 10s));
    next();
    ASSERT_TRUE(soon([&] { return onPage(1) && buttonFrom(290, 390); }));
    next();
    // The preset cards: Flow's teal and green heading.
    ASSERT_TRUE(soon([&] {
        const auto p = control->pixel(window.x + 270, window.y + 100);
        return onPage(2) && buttonFrom(290, 390) && p.green > 90 && p.red < 80 && p.blue > 80;
    }));
    next();
    ASSERT_TRUE(soon([&] { return onPage(3) && buttonFrom(270, 410); }));

    clickIcon();
    const auto shownPanel = soonPanel();
    ASSERT_TRUE(shownPanel);
    const xcb_window_t panel = *shownPanel;
    testdesktop::PressLog log(desktop->display());
    log.watch(panel);
    // Pressed and released at once, as a quick hand does: the toolkit then has both before the
    // click monitor may have read the press.
    ASSERT_TRUE(sh("xdotool mousemove " + std::to_string(window.x + 340) + " " +
                   std::to_string(window.y + 445) + " mousedown 1 mouseup 1"));
    ASSERT_TRUE(soon([&] {
        return !control->isViewable(onboarding) &&
               std::regex_search(app->storedSettings(),
                                 std::regex(R"("dimming.activeMode": *"flow")"));
    })) << app->storedSettings();
    // The panel shows until the next press outside it: in the server's order, it goes only after
    // that second press.
    ASSERT_TRUE(sh("xdotool mousemove 300 250 click 1"));
    ASSERT_TRUE(log.waitUntil([&](const auto&) { return log.indexOf(gone(panel)) >= 0; }));
    const auto& entries = log.entries();
    EXPECT_EQ(std::count(entries.begin(), entries.begin() + log.indexOf(gone(panel)), pressOf(1)),
              2)
        << "the click that finished the onboarding closed the panel";
    EXPECT_EQ(panels(), 0);
    EXPECT_EQ(app->terminate(), 0) << app->standardError();
}

TEST_F(ShellEndToEndTest, MinimisedWindowsComeBackInFrontOnEveryWayOfShowingThem) {
    const auto alpha = startAlpha();
    launch();
    ASSERT_TRUE(soon([&] { return trayIcon().has_value(); }, 10s));
    // One instance: a second launch hands over to the first and ends before it builds anything.
    const auto launchAgain = [&] {
        EngineProcess again(desktop->display(), EngineLook{});
        EXPECT_EQ(again.waitForExit(10s), 0) << again.standardError();
        EXPECT_EQ(again.standardError().find("[HotKey]"), std::string::npos);
    };
    const auto hidden = [&](xcb_window_t w) {
        return sh("xprop -id " + std::to_string(w) +
                  " _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN");
    };
    // Shown, focused and stacked above the application that had the focus.
    const auto inFront = [&](xcb_window_t w) {
        const auto stack = control->stackingList();
        return control->isViewable(w) && !hidden(w) && control->activeWindow() == w &&
               std::find(stack.begin(), stack.end(), w) >
                   std::find(stack.begin(), stack.end(), alpha);
    };
    // Minimises `w` once the focus is elsewhere, then shows it again: by a second launch, or the
    // menu item `keys` picks. For the menu, the focus stays in this application: Qt closes menus
    // while the focus leaves the application, also a little after it left.
    const auto minimiseThenShow = [&](xcb_window_t w, const std::string& keys) {
        ASSERT_TRUE(soon([&] { return control->activeWindow() != w; })) << keys;
        ASSERT_TRUE(sh("xdotool windowminimize " + std::to_string(w)));
        ASSERT_TRUE(soon([&] { return hidden(w) && !control->isViewable(w); })) << keys;
        keys.empty() ? launchAgain() : choose(keys);
        EXPECT_TRUE(soon([&] { return inFront(w); })) << keys;
    };

    // The settings window as a person finds it: by its title.
    const auto titledSettings = [&]() -> std::optional<xcb_window_t> {
        const std::string command = "DISPLAY=" + desktop->display() +
                                    " xdotool search --onlyvisible --name '^Tavrilux Settings$'";
        std::unique_ptr<FILE, int (*)(FILE*)> out(popen(command.c_str(), "r"), pclose);
        unsigned long id = 0;
        if (out && std::fscanf(out.get(), "%lu", &id) == 1) {
            return static_cast<xcb_window_t>(id);
        }
        return std::nullopt;
    };
    EXPECT_FALSE(titledSettings()) << "none before it is asked for";
    launchAgain(); // the settings window shows: 820 x 540
    std::optional<xcb_window_t> found;
    ASSERT_TRUE(soon([&] { return (found = titledSettings()).has_value(); }));
    const xcb_window_t settings = *found;
    const auto size = control->geometry(settings);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 820);
    EXPECT_EQ(size->height, 540);
    EXPECT_EQ(windows("tavrilux", 820, 821), std::vector<xcb_window_t>{settings});
    const auto frame = control->frameGeometry(settings);
    ASSERT_TRUE(frame);
    const auto centred = *frame;
    EXPECT_NEAR(centred.x + centred.width / 2, testdesktop::TestDesktop::kMonitorWidth / 2, 12);
    // Closing only hides it; it comes back where it was left, centred only when first built.
    control->moveFrame(settings, 60, 40);
    const auto left = [&] { return control->frameGeometry(settings).value_or(centred).x; };
    ASSERT_TRUE(soon([&] { return left() == 60; }));
    control->requestClose(settings);
    ASSERT_TRUE(soon([&] { return !control->isViewable(settings) && !titledSettings(); }));
    EXPECT_TRUE(app->isRunning());
    launchAgain();
    EXPECT_TRUE(soon([&] { return inFront(settings); }));
    EXPECT_EQ(titledSettings(), settings) << "the same window";
    EXPECT_EQ(left(), 60);
    control->activate(alpha); // the user works in the application meanwhile
    minimiseThenShow(settings, "");
    choose("Down Return");
    const auto shownAbout = soonShown("tavrilux", 200, 300);
    ASSERT_TRUE(shownAbout);
    const xcb_window_t about = *shownAbout;
    minimiseThenShow(settings, "Down Down Return"); // Settings
    minimiseThenShow(about, "Down Return");
    EXPECT_EQ(app->terminate(), 0) << app->standardError();
}

TEST_F(ShellEndToEndTest, TheAboutWindowHasItsCloseButtonOnlyAndTheSettingsWindowEveryButton) {
    startAlpha();
    launch();
    ASSERT_TRUE(soon([&] { return trayIcon().has_value(); }, 10s));
    const auto about = [&]() -> xcb_window_t {
        const auto shown = windows("tavrilux", 200, 300);
        return shown.empty() ? xcb_window_t{XCB_WINDOW_NONE} : shown.front();
    };
    choose("Down Return");
    ASSERT_TRUE(soon([&] { return about() != XCB_WINDOW_NONE; }));
    const xcb_window_t window = about();
    ASSERT_TRUE(soon([&] { return values(window, "_NET_FRAME_EXTENTS").size() == 4; }));
    // No title bar, so none of the window manager's buttons: openbox offers minimise (and shows
    // maximise beside it) on any titled window, whatever its hints.
    EXPECT_EQ(values(window, "_NET_FRAME_EXTENTS"), (std::vector<std::uint32_t>{0, 0, 0, 0}));
    EXPECT_FALSE(allows(window, "MAXIMIZE_HORZ") || allows(window, "MAXIMIZE_VERT"));
    EXPECT_FALSE(allows(window, "RESIZE"));
    // Fixed: the smallest and the largest size it asks for are its size.
    const auto size = geometryOf(window);
    const auto hints = values(window, "WM_NORMAL_HINTS"); // flags, x, y, w, h, min, max, ...
    ASSERT_GE(hints.size(), 9u);
    EXPECT_EQ(hints[0] & (16 | 32), 16u | 32u) << "a minimum and a maximum size";
    EXPECT_EQ((std::vector<std::uint32_t>{hints[5], hints[6], hints[7], hints[8]}),
              (std::vector<std::uint32_t>{static_cast<std::uint32_t>(size.width),
                                          static_cast<std::uint32_t>(size.height),
                                          static_cast<std::uint32_t>(size.width),
                                          static_cast<std::uint32_t>(size.height)}));

    // It moves by its background: held low in its left part and dragged, it follows the pointer.
    ASSERT_TRUE(allows(window, "MOVE"));
    const auto startFrame = control->frameGeometry(window);
    ASSERT_TRUE(startFrame);
    const auto start = *startFrame;
    const int fromX = start.x + 30;
    const int fromY = start.y + start.height - 30;
    const auto at = [](int x, int y) {
        return " mousemove " + std::to_string(x) + " " + std::to_string(y);
    };
    ASSERT_TRUE(sh("xdotool" + at(fromX, fromY) + " mousedown 1"));
    // The move starts once the window manager has the request, from wherever the pointer is by
    // then: the pointer goes back and forth between two places until the window has moved.
    int round = 0;
    EXPECT_TRUE(soon([&] {
        const int step = ++round % 2 == 0 ? 60 : 100;
        sh("xdotool" + at(fromX + step, fromY + step / 2));
        const auto now = control->frameGeometry(window);
        return now && (now->x != start.x || now->y != start.y);
    }));
    ASSERT_TRUE(sh("xdotool mouseup 1"));
    EXPECT_NE(control->frameGeometry(window).value_or(start), start)
        << "it stays where it was dragged";

    // Its own close button closes it: the cross drawn dark in its top trailing corner, found at
    // the same place twice in a row (the drag's last move and its repaint are over).
    std::optional<std::pair<int, int>> cross;
    std::optional<std::pair<int, int>> before;
    EXPECT_TRUE(soon([&] {
        before = cross;
        const auto shown = control->geometry(window);
        if (!shown) {
            return false;
        }
        int sumX = 0, sumY = 0, found = 0;
        for (int y = shown->y; y < shown->y + 40; ++y) {
            for (int x = shown->x + shown->width - 40; x < shown->x + shown->width; ++x) {
                const auto p = control->pixel(x, y);
                if (p.red + p.green + p.blue < 450) {
                    sumX += x;
                    sumY += y;
                    ++found;
                }
            }
        }
        cross = found > 4 ? std::optional(std::pair(sumX / found, sumY / found)) : std::nullopt;
        return cross.has_value() && cross == before;
    })) << "a close button";
    ASSERT_TRUE(cross);
    ASSERT_TRUE(sh("xdotool" + at(cross->first, cross->second) + " click 1"));
    EXPECT_TRUE(soon([&] { return about() == XCB_WINDOW_NONE; }));
    EXPECT_TRUE(app->isRunning());
    choose("Down Return");
    EXPECT_TRUE(soon([&] { return about() != XCB_WINDOW_NONE; })) << "shown again";

    // The settings window is a window like any other: minimised, maximised and resized.
    choose("Down Down Return");
    const auto shownSettings = soonShown("tavrilux", 820, 821);
    ASSERT_TRUE(shownSettings);
    const xcb_window_t settings = *shownSettings;
    EXPECT_TRUE(soon([&] {
        return allows(settings, "MINIMIZE") && allows(settings, "MAXIMIZE_HORZ") &&
               allows(settings, "MAXIMIZE_VERT") && allows(settings, "RESIZE");
    }));
    const auto extents = values(settings, "_NET_FRAME_EXTENTS");
    ASSERT_EQ(extents.size(), 4u);
    EXPECT_GT(extents[2], 0u) << "a title bar";
    EXPECT_EQ(app->terminate(), 0) << app->standardError();
}

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
} // namespace tavrilux::e2e
