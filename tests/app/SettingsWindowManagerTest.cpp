#include "app/SettingsWindowManager.h"
#include "app/ApplicationActivation.h"
#include "app/SettingsWindow.h"
#include "ui/SettingsHarness.h"
#include "ui/settings/ContentView.h"

#include <gtest/gtest.h>

namespace tavrilux {
namespace {

// Placement, title and reuse of the window are checked on the test desktop (ShellEndToEndTest).
TEST(SettingsWindowManagerTest, OpensOnTheAskedTabFromTheFirstFrameAndTracksThePolicy) {
    ui::testing::SettingsModel model;
    SettingsWindowManager manager(model.context, model.services);
    manager.showSettingsWindow(SettingsTab::about);
    SettingsWindow* window = manager.settingsWindow();
    EXPECT_EQ(manager.contentView()->shownTab(), SettingsTab::about);
    EXPECT_EQ(ApplicationActivation::policy(), ActivationPolicy::regular);

    EXPECT_FALSE(window->close()) << "closing only hides";
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(ApplicationActivation::policy(), ActivationPolicy::accessory);
    manager.showSettingsWindow(std::nullopt);
    EXPECT_EQ(manager.contentView()->shownTab(), SettingsTab::about) << "the current tab";
    EXPECT_EQ(ApplicationActivation::policy(), ActivationPolicy::regular);
    manager.showSettingsWindow(SettingsTab::exclusions);
    EXPECT_EQ(manager.contentView()->shownTab(), SettingsTab::exclusions);
}

} // namespace
} // namespace tavrilux
