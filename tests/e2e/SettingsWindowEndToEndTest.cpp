#include "EngineProcess.h"
#include "TestDesktopFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
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

    // The viewable client window titled "Tavrilux Settings", if any.
    std::optional<xcb_window_t> settingsWindow() {
        xcb_connection_t* c = control->connection();
        for (xcb_window_t frame : control->rootChildren()) {
            auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, frame), nullptr);
            for (int i = 0; tree != nullptr && i < xcb_query_tree_children_length(tree); ++i) {
                const xcb_window_t w = xcb_query_tree_children(tree)[i];
                auto* name =
                    xcb_get_property_reply(c,
                                           xcb_get_property(c, 0, w, control->atom("_NET_WM_NAME"),
                                                            control->atom("UTF8_STRING"), 0, 64),
                                           nullptr);
                const bool match =
                    name != nullptr &&
                    std::string(static_cast<const char*>(xcb_get_property_value(name)),
                                static_cast<std::size_t>(xcb_get_property_value_length(name))) ==
                        "Tavrilux Settings";
                std::free(name);
                if (match && control->isViewable(w)) {
                    std::free(tree);
                    return w;
                }
            }
            std::free(tree);
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
    auto* size = xcb_get_geometry_reply(control->connection(),
                                        xcb_get_geometry(control->connection(), window), nullptr);
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(size->width, 820);
    EXPECT_EQ(size->height, 540);
    std::free(size);
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
