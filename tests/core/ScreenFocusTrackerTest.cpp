#include "core/focus/ScreenFocusTracker.h"
#include "core/focus/SystemEventObserver.h"
#include "fakes/FakeDesktop.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tavrilux {
namespace {

using fakes::FakeDesktop;

constexpr ProcessID kOwn = 10;
constexpr ProcessID kEditor = 100;
constexpr ProcessID kBrowser = 200;

class ScreenFocusTrackerTest : public ::testing::Test {
protected:
    ScreenFocusTrackerTest() {
        desktop.addScreen(1, Rect{0, 0, 1000, 800});
        desktop.addScreen(2, Rect{1000, 0, 1000, 800});
        desktop.addProcess(kEditor, "org.example.Editor");
        desktop.addProcess(kBrowser, "org.example.Browser");
        desktop.addWindow(1, kEditor, {100, 100, 400, 400});
        desktop.addWindow(2, kBrowser, {1100, 100, 400, 400});
    }

    void start() {
        tracker->start([this](const FocusScene& scene) { scenes.push_back(scene); });
    }

    FakeDesktop desktop;
    std::unique_ptr<ScreenFocusTracker> tracker =
        std::make_unique<ScreenFocusTracker>(desktop.queue, desktop, desktop, desktop, kOwn);
    std::vector<FocusScene> scenes;
};

TEST_F(ScreenFocusTrackerTest, StartDeliversASceneAtOnceThenPollsEvery150MillisecondsForChanges) {
    start();
    ASSERT_EQ(scenes.size(), 1u);
    EXPECT_EQ(scenes[0].targets.at(1).ownerPID, kEditor);
    EXPECT_EQ(scenes[0].targets.at(2).ownerPID, kBrowser);
    desktop.moveWindow(2, {1101, 100, 400, 400});
    desktop.queue.advance(Seconds{0.149});
    EXPECT_EQ(scenes.size(), 1u);
    desktop.queue.advance(Seconds{0.001});
    ASSERT_EQ(scenes.size(), 2u);
    EXPECT_EQ(scenes[1].targets.at(2).windowFrame.x, 1101);
    desktop.queue.advance(Seconds{2.85});
    EXPECT_EQ(scenes.size(), 2u) << "nothing more while unchanged";
    EXPECT_EQ(desktop.snapshotCount(), 21) << "20 polls in 3 s";
}

TEST_F(ScreenFocusTrackerTest, StopSilencesEvenFromADeliveryAndRestartDeliversTheSceneAgain) {
    tracker->stop(); // on an idle tracker: nothing
    tracker->refresh(false);
    EXPECT_TRUE(scenes.empty());
    EXPECT_FALSE(tracker->isPolling());
    start();
    tracker->stop();
    EXPECT_FALSE(tracker->lastScene().has_value());
    desktop.moveWindow(1, {120, 100, 400, 400});
    desktop.queue.advance(Seconds{1.0});
    tracker->refresh(true);
    EXPECT_EQ(scenes.size(), 1u);
    EXPECT_FALSE(desktop.queue.hasPending());

    const auto snapshotsBefore = desktop.snapshotCount();
    start();
    start(); // a second start restarts cleanly: still one poll loop
    ASSERT_EQ(scenes.size(), 3u);
    EXPECT_EQ(scenes[1], scenes[2]);
    desktop.queue.advance(Seconds{0.15});
    EXPECT_EQ(desktop.snapshotCount(), snapshotsBefore + 3);

    // A handler may stop the tracker from inside a delivery.
    tracker->start([this](const FocusScene& scene) {
        scenes.push_back(scene);
        if (scenes.size() == 5) {
            tracker->stop();
        }
    });
    desktop.moveWindow(1, {140, 100, 400, 400});
    desktop.queue.advance(Seconds{1.0});
    EXPECT_EQ(scenes.size(), 5u);
    EXPECT_FALSE(desktop.queue.hasPending());
}

TEST_F(ScreenFocusTrackerTest, UnreadableWindowListDeliversNothingEvenWhenForced) {
    start();
    desktop.setWindowListReadable(false);
    desktop.moveWindow(1, {130, 100, 400, 400});
    tracker->refresh(true);
    desktop.queue.advance(Seconds{0.5});
    EXPECT_EQ(scenes.size(), 1u);
    ASSERT_TRUE(tracker->lastScene().has_value());
    EXPECT_EQ(*tracker->lastScene(), scenes[0]);
    // The next readable poll picks the change up.
    desktop.setWindowListReadable(true);
    desktop.queue.advance(Seconds{0.15});
    EXPECT_EQ(scenes.size(), 2u);
}

class SystemEventObserverTest : public ::testing::Test {
protected:
    FakeDesktop desktop;
    SystemEventObserver observer{desktop.queue};
    std::vector<std::string> actions;
};

TEST_F(SystemEventObserverTest, ActionsRunInTheirOwnTaskAfterThePostersCall) {
    observer.observeApplicationActivated(desktop.workspace, [&] { actions.push_back("app"); });
    observer.observeScreenParametersChanged(desktop.workspace,
                                            [&] { actions.push_back("screens"); });
    observer.observeActiveSpaceChanged(desktop.workspace, [&] { actions.push_back("space"); });
    EXPECT_EQ(observer.registrationCount(), 3u);

    desktop.workspace.changeScreens();
    desktop.workspace.activate(std::nullopt);
    desktop.workspace.changeSpace();
    EXPECT_TRUE(actions.empty());
    desktop.queue.runUntilIdle();
    EXPECT_EQ(actions, (std::vector<std::string>{"screens", "app", "space"}));
}

TEST_F(ScreenFocusTrackerTest, ActivationReachesTheTrackerBeforeTheNextPoll) {
    SystemEventObserver observer{desktop.queue};
    observer.observeApplicationActivated(desktop.workspace, [&] { tracker->refresh(false); });
    observer.observeScreenParametersChanged(desktop.workspace, [&] { tracker->refresh(true); });
    desktop.addWindow(3, kBrowser, {200, 200, 300, 300}); // browser also on the left, behind
    start();
    desktop.queue.advance(Seconds{0.16});
    EXPECT_EQ(scenes.at(0).targets.at(1).ownerPID, kEditor);

    desktop.activate(kBrowser);
    desktop.queue.runUntilIdle(); // no time passes: this is the notification, not a poll
    ASSERT_EQ(scenes.size(), 2u);
    EXPECT_EQ(scenes[1].targets.at(1).ownerPID, kBrowser);

    // Screen changes force a refresh; two in a row deliver two scenes.
    desktop.workspace.changeScreens();
    desktop.workspace.changeScreens();
    desktop.queue.runUntilIdle();
    EXPECT_EQ(scenes.size(), 4u);
    observer.stop();
}

} // namespace
} // namespace tavrilux
