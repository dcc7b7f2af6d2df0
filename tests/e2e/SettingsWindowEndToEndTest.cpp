#include "EngineProcess.h"
#include "TestDesktopFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace tavrilux::e2e {
namespace {

using testdesktop::DesktopControl;
using namespace std::chrono_literals;

// The settings window of the running application on the test desktop.
class SettingsWindowEndToEndTest : public testdesktop::TestDesktopFixture {
protected:
    void TearDown() override {
        app.reset();
        TestDesktopFixture::TearDown();
    }

    // The viewable window titled "Tavrilux Settings", if any.
    std::optional<xcb_window_t> settingsWindow() {
        const std::string command = "DISPLAY=" + desktop->display() +
                                    " xdotool search --onlyvisible --name '^Tavrilux Settings$'";
        std::unique_ptr<FILE, int (*)(FILE*)> out(popen(command.c_str(), "r"), pclose);
        unsigned long id = 0;
        if (out && std::fscanf(out.get(), "%lu", &id) == 1) {
            return static_cast<xcb_window_t>(id);
        }
        return std::nullopt;
    }

    // Launches Tavrilux again: it hands over to the running one and exits 0.
    void launchAgain() {
        EngineProcess again(desktop->display(), EngineLook{});
        EXPECT_EQ(again.waitForExit(10s), 0) << again.standardError();
    }

    std::unique_ptr<EngineProcess> app;
};

TEST_F(SettingsWindowEndToEndTest, ASecondLaunchShowsTheWindowThatClosingOnlyHides) {
    app = std::make_unique<EngineProcess>(desktop->display(), EngineLook{});
    ASSERT_TRUE(DesktopControl::waitUntil(
        [&] { return app->standardError().find("[HotKey] ") != std::string::npos; }, 10s));
    EXPECT_FALSE(settingsWindow());

    launchAgain();
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return settingsWindow().has_value(); }, 10s));
    const xcb_window_t window = *settingsWindow();
    const auto size = control->geometry(window);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 820);
    EXPECT_EQ(size->height, 540);
    const auto centred = control->frameGeometry(window);
    ASSERT_TRUE(centred);
    EXPECT_NEAR(centred->x + centred->width / 2, testdesktop::TestDesktop::kMonitorWidth / 2, 12);

    control->moveFrame(window, 60, 40);
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return control->frameGeometry(window)->x == 60; }));
    control->requestClose(window);
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return !settingsWindow(); }));
    EXPECT_TRUE(app->isRunning());

    launchAgain();
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return settingsWindow().has_value(); }, 10s));
    EXPECT_EQ(*settingsWindow(), window) << "the same window";
    EXPECT_EQ(control->frameGeometry(window)->x, 60) << "centred only when first built";
    EXPECT_EQ(app->terminate(), 0) << app->standardError();
}

} // namespace
} // namespace tavrilux::e2e
