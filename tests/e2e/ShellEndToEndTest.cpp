#include "EngineProcess.h"
#include "TestDesktopFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace tavrilux::e2e {
namespace {

using testdesktop::DesktopControl;
using namespace std::chrono_literals;

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

    // Viewable windows whose WM_CLASS starts with `instance`, anywhere in the tree, as
    // rectangles in root coordinates, at least `minWidth` and below `maxWidth` wide.
    std::vector<DesktopControl::Geometry> windows(const std::string& instance, int minWidth = 0,
                                                  int maxWidth = 1 << 16, xcb_window_t top = 0) {
        std::vector<DesktopControl::Geometry> found;
        for (const xcb_window_t w : control->children(top ? top : control->root())) {
            const auto g = control->geometry(w);
            if (g && g->width >= minWidth && g->width < maxWidth && control->isViewable(w) &&
                control->wmClass(w).rfind(instance + '\0', 0) == 0) {
                found.push_back(*g);
            }
            const auto below = windows(instance, minWidth, maxWidth, w);
            found.insert(found.end(), below.begin(), below.end());
        }
        return found;
    }
    std::optional<DesktopControl::Geometry> trayIcon() {
        const auto icons = windows("tavrilux", 0, 64);
        return icons.empty() ? std::nullopt : std::optional(icons.front());
    }
    // The quick panel, not the wider settings window.
    int panels() { return static_cast<int>(windows("tavrilux", 300, 500).size()); }
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

    void clickIcon(int button = 1) {
        const auto icon = trayIcon();
        ASSERT_TRUE(icon);
        ASSERT_TRUE(sh("xdotool mousemove " + std::to_string(icon->x + icon->width / 2) + " " +
                       std::to_string(icon->y + icon->height / 2) + " click " +
                       std::to_string(button)));
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

    void launch() {
        app = std::make_unique<EngineProcess>(desktop->display(), EngineLook{});
        ASSERT_TRUE(DesktopControl::waitUntil([&] { return said("[HotKey] ") > 0; }, 10s))
            << app->standardError();
    }

    std::unique_ptr<EngineProcess> app;
};

TEST_F(ShellEndToEndTest, HotKeyTogglesOncePerPressAndTheDotAndOverlaysFollow) {
    control->activate(
        startManagedClient({"--class", "alpha,alpha", "--geometry", "400x300+100+100"})
            .windows.at(0));
    launch();
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return dot() == 'g' && overlays() > 0; }, 10s));

    ASSERT_TRUE(sh("xdotool key super+alt+o"));
    EXPECT_TRUE(DesktopControl::waitUntil(
        [&] { return stored() == false && overlays() == 0 && dot() == 'r'; }));

    // Held for many repeats: one toggle.
    ASSERT_TRUE(sh("xdotool keydown super+alt+o sleep 1.5 keyup o alt super"));
    EXPECT_TRUE(DesktopControl::waitUntil(
        [&] { return stored() == true && overlays() > 0 && dot() == 'g'; }));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(said("[HotKey] Alt+Super+O toggled dimming"), 2u) << app->standardError();

    // The server goes away right after a change: the change is on disk all the same.
    ASSERT_TRUE(sh("xdotool key super+alt+o"));
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return said("toggled dimming") == 3; }));
    desktop->killServer();
    EXPECT_EQ(app->waitForExit(10s), 1);
    EXPECT_EQ(said("the connection to the X server was lost"), 1u) << app->standardError();
    EXPECT_EQ(stored(), false);
}

TEST_F(ShellEndToEndTest, PanelNeverTakesTheActivationAndClosesOnAnyWayOut) {
    const auto alpha =
        startManagedClient({"--class", "alpha,alpha", "--geometry", "400x300+100+100"})
            .windows.at(0);
    control->activate(alpha);
    // Another program holds the hot key: said once, and everything else goes on.
    xcb_grab_key(c(), 1, control->root(), XCB_MOD_MASK_1 | XCB_MOD_MASK_4, XCB_GRAB_ANY,
                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    xcb_flush(c());
    launch();
    EXPECT_EQ(said("[HotKey] RegisterEventHotKey failed: 10"), 1u) << app->standardError();
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return trayIcon() && overlays() > 0; }, 10s));
    const auto icon = *trayIcon();

    clickIcon();
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return panels() == 1; }));
    EXPECT_EQ(control->activeWindow(), alpha);
    const auto panel = windows("tavrilux").back();
    EXPECT_LE(panel.y + panel.height, icon.y) << "above the bottom tray";
    EXPECT_LE(panel.x + panel.width, testdesktop::TestDesktop::kMonitorWidth);
    ASSERT_TRUE(sh("xdotool mousemove 300 250 click 1"));
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return panels() == 0; }));

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
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return panels() == 1 - before; }));

    if (panels() == 0) {
        clickIcon();
        ASSERT_TRUE(DesktopControl::waitUntil([&] { return panels() == 1; }));
    }
    // A display goes away while the panel shows.
    ASSERT_TRUE(sh("xrandr --delmonitor tavrilux-right && xrandr --noprimary && "
                   "xrandr --output screen --primary"));
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return panels() == 0; }));

    clickIcon(3);
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(sh("xdotool key Up Return")); // the menu's last item: Quit
    EXPECT_EQ(app->waitForExit(5s), 0) << app->standardError();
    EXPECT_EQ(overlays(), 0);
}

TEST_F(ShellEndToEndTest, WithoutATrayItKeepsDimmingAndIsOneInstance) {
    ASSERT_TRUE(sh("kill $(xdotool search --limit 1 --class trayer getwindowpid)"));
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return !sh("xdotool search --class trayer"); }));
    control->activate(
        startManagedClient({"--class", "alpha,alpha", "--geometry", "400x300+100+100"})
            .windows.at(0));
    launch();
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return overlays() > 0; }, 10s));
    ASSERT_TRUE(sh("xdotool key super+alt+o"));
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return stored() == false && overlays() == 0; }));

    EngineProcess second(desktop->display(), EngineLook{});
    EXPECT_EQ(second.waitForExit(10s), 0) << second.standardError();
    EXPECT_EQ(second.standardError().find("[HotKey]"), std::string::npos);
    EXPECT_TRUE(app->isRunning());

    // A tray host comes (back): the icon embeds with the current state.
    // (It ends with the X server.)
    ASSERT_TRUE(sh("trayer --edge bottom --align right --widthtype request --height 24 "
                   ">/dev/null 2>&1 &"));
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return dot() == 'r'; }, 10s));
    clickIcon();
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return panels() == 1; }));
    EXPECT_EQ(said("no system tray"), 1u) << app->standardError();
    EXPECT_EQ(said("[HotKey] Registered Alt+Super+O"), 1u);
    EXPECT_EQ(app->terminate(), 0);
    EXPECT_EQ(overlays(), 0);
}

TEST_F(ShellEndToEndTest, AFirstLaunchWalksThroughTheOnboardingAndALaterOneShowsOnlyTheIcon) {
    control->activate(
        startManagedClient({"--class", "alpha,alpha", "--geometry", "400x300+100+100"})
            .windows.at(0));
    app = std::make_unique<EngineProcess>(desktop->display(), EngineLook{},
                                          EngineProcess::Configuration::fresh);
    const auto onboarding = [&]() -> std::optional<DesktopControl::Geometry> {
        const auto shown = windows("tavrilux", 680, 681);
        return shown.empty() ? std::nullopt : std::optional(shown.front());
    };
    const auto entry = app->configHome() / "autostart/com.mirtal.tavrilux.dev.desktop";
    ASSERT_TRUE(DesktopControl::waitUntil(
        [&] { return onboarding() && std::filesystem::exists(entry) && overlays() > 0; }, 15s))
        << app->standardError();
    EXPECT_EQ(app->standardOutput(), "");

    // Quit before choosing: the next start is a first launch again, and start at login fails.
    EXPECT_EQ(app->terminate(), 0) << app->standardError();
    std::filesystem::remove_all(entry.parent_path());
    std::ofstream(entry.parent_path()) << "a file where the folder belongs";
    app->restart();
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return onboarding().has_value(); }, 15s));
    EXPECT_EQ(app->standardOutput().rfind("LoginItem.setEnabled(true) on first launch failed: ", 0),
              0u)
        << app->standardOutput();
    EXPECT_EQ(app->terminate(), 0) << app->standardError();
    std::filesystem::remove(entry.parent_path());

    app->restart();
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return onboarding().has_value(); }, 15s));
    const auto window = *onboarding();
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
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return !onboarding() && panels() == 1; }))
        << "the quick panel opens at the icon";
    EXPECT_TRUE(
        std::regex_search(app->storedSettings(), std::regex(R"("dimming.activeMode": *"evening")")))
        << app->storedSettings();
    EXPECT_EQ(app->terminate(), 0);

    app->restart();
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return trayIcon().has_value(); }, 15s));
    std::this_thread::sleep_for(1s);
    EXPECT_FALSE(onboarding()) << "a later launch shows only the icon";
}

} // namespace
} // namespace tavrilux::e2e
