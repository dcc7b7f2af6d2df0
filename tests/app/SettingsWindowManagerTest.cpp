#include "app/SettingsWindowManager.h"
#include "app/ActivationPolicyState.h"
#include "app/SettingsWindow.h"
#include "ui/SettingsHarness.h"
#include "ui/settings/ContentView.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

namespace tavrilux {
namespace {

TEST(SettingsWindowManagerTest, BuiltOnceCentredOnceOnlyHiddenAndOpenedOnTheAskedTab) {
    ui::testing::SettingsModel model;
    SettingsWindowManager manager(model.context, model.services);
    EXPECT_EQ(manager.settingsWindow(), nullptr);

    manager.showSettingsWindow(SettingsTab::about);
    SettingsWindow* window = manager.settingsWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(manager.contentView()->shownTab(), SettingsTab::about) << "from the first frame";
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->size(), QSize(820, 540));
    EXPECT_EQ(window->minimumSize(), QSize(760, 480));
    EXPECT_LE((window->geometry().center() -
               QGuiApplication::primaryScreen()->availableGeometry().center())
                  .manhattanLength(),
              4);
    EXPECT_EQ(ActivationPolicyState::current(), ActivationPolicy::regular);

    window->move(10, 20);
    EXPECT_FALSE(window->close()) << "closing only hides";
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(ActivationPolicyState::current(), ActivationPolicy::accessory);

    manager.showSettingsWindow(std::nullopt);
    EXPECT_EQ(manager.settingsWindow(), window);
    EXPECT_EQ(window->pos(), QPoint(10, 20));
    EXPECT_EQ(manager.contentView()->shownTab(), SettingsTab::about) << "the current tab";
    EXPECT_EQ(ActivationPolicyState::current(), ActivationPolicy::regular);
    manager.showSettingsWindow(SettingsTab::exclusions);
    EXPECT_EQ(manager.contentView()->shownTab(), SettingsTab::exclusions);
}

} // namespace
} // namespace tavrilux
