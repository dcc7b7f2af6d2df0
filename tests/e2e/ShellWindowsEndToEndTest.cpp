#include "ShellEndToEndFixture.h"

#include <gtest/gtest.h>

namespace tavrilux::e2e::shell {
namespace {

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

} // namespace
} // namespace tavrilux::e2e::shell
