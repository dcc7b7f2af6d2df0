#include "core/overlay/OverlayCoordinator.h"
#include "core/defaults/UserDefaults.h"
#include "core/settings/FocusPresets.h"
#include "fakes/FakeApplicationActivator.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeOverlayWindowFactory.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tavrilux {
namespace {

using fakes::FakeOverlayWindowPort;
using fakes::OrderCall;
using State = ScreenOverlaySlot::State;

constexpr ProcessID kOwn = 10;
constexpr ProcessID kEditor = 100;
constexpr ProcessID kBrowser = 200;
constexpr ProcessID kTerminal = 300;

const FakeOverlayWindowPort& portOf(const OverlayWindow& window) {
    return dynamic_cast<const FakeOverlayWindowPort&>(window.port());
}

// For the windows of a cross-fade, which exist only while one runs.
const FakeOverlayWindowPort& portOf(const OverlayWindow* window) {
    if (window == nullptr) {
        throw std::logic_error("no such overlay window");
    }
    return portOf(*window);
}

class OverlayCoordinatorTest : public ::testing::Test {
protected:
    OverlayCoordinatorTest() {
        desktop.addScreen(1, Rect{0, 0, 1000, 800}, "UUID-ONE");
        desktop.addScreen(2, Rect{1000, 0, 1000, 800}, "UUID-TWO");
        desktop.addProcess(kEditor, "org.example.Editor");
        desktop.addProcess(kBrowser, "org.example.Browser");
        desktop.addProcess(kTerminal, "org.example.Terminal");
        desktop.addWindow(11, kEditor, {100, 100, 400, 400});
        desktop.addWindow(21, kBrowser, {1100, 100, 400, 400});
        desktop.addWindow(31, kTerminal, {150, 150, 300, 300});
        desktop.workspace.setFrontmost(*desktop.runningApplication(kEditor));
        store->save(*presetConfiguration(FocusMode::focus));
        settings = DimmingSettings::create(store, desktop.workspace, desktop.queue);
        settings->setEffectMode(EffectMode::fullscreen);
    }

    void start() {
        coordinator = OverlayCoordinator::create(
            settings, OverlayCoordinator::Desktop{desktop.queue, desktop.workspace, desktop,
                                                  desktop, desktop, activator, factory, kOwn});
        coordinator->start();
    }
    const ScreenOverlaySlot& slot(DisplayID id) const {
        return *coordinator->manager().slots().at(id);
    }
    void settle() { desktop.queue.advance(Seconds{3.0}); }
    void startSettled() {
        start();
        settle();
    }
    double duration() const { return settings->configuration().appearanceDuration; }

    fakes::FakeDesktop desktop;
    fakes::FakeOverlayWindowFactory factory;
    fakes::FakeApplicationActivator activator;
    std::shared_ptr<SettingsStore> store = std::make_shared<SettingsStore>(
        std::make_shared<UserDefaults>(std::make_unique<MemoryDomainStorage>()));
    std::shared_ptr<DimmingSettings> settings;
    std::shared_ptr<OverlayCoordinator> coordinator;
};

TEST_F(OverlayCoordinatorTest, StartShowsEachDisplaysFocusedApplicationAndActivationsCrossFade) {
    start();
    EXPECT_TRUE(coordinator->isTrackingSystemState());
    ASSERT_EQ(coordinator->manager().slots().size(), 2u);
    EXPECT_EQ(portOf(slot(1).steadyWindow()).placement(),
              (OrderCall{WindowOrderingMode::below, 11}));
    EXPECT_EQ(portOf(slot(2).steadyWindow()).placement(),
              (OrderCall{WindowOrderingMode::below, 21}));
    EXPECT_EQ(settings->activeScreenID.get(), std::optional<std::uint32_t>(1));
    EXPECT_EQ(coordinator->overlayCount(), 2);
    // The manager took the settings' look before any window existed.
    EXPECT_EQ(coordinator->manager().configuration(), settings->configuration());

    // An activation cross-fades on its notification.
    settle();
    desktop.activate(kTerminal);
    desktop.queue.runUntilIdle(); // the notification's hop, well before the next poll
    EXPECT_EQ(slot(1).state(), State::crossfading);
    EXPECT_EQ(portOf(slot(1).incomingWindow()).placement(),
              (OrderCall{WindowOrderingMode::below, 31}));
    EXPECT_EQ(slot(2).state(), State::showing);
    settle();
    EXPECT_EQ(slot(1).currentPresentation()->target()->ownerPID, kTerminal);
    EXPECT_EQ(factory.visibleWindows().size(), 2u);
}

// Window managers raise the window they make active a few milliseconds later; a scene in between
// still has the old order. Switching between two windows of one application, the engine only
// ever names one of its windows and starts no cross-fade; switching to another application, the
// incoming overlay only ever lies below that application's window.
TEST_F(OverlayCoordinatorTest, AWindowManagerThatRaisesAfterNamingTheActiveWindow) {
    desktop.addWindow(12, kEditor, {200, 200, 400, 400});
    desktop.raise(12);
    desktop.raise(11); // 11 > 12 > 21 > 31: one editor run on display 1
    desktop.setActiveWindow(11);
    startSettled();
    const auto& steady = portOf(slot(1).steadyWindow());
    EXPECT_EQ(steady.placement(), (OrderCall{WindowOrderingMode::below, 12}));
    const auto created = factory.createdCount();
    const auto before = steady.orders().size();
    for (const WindowNumber next : {12, 11, 12, 11}) {
        desktop.setActiveWindow(next);
        desktop.queue.advance(ScreenFocusTracker::kPollInterval); // a poll before the raise
        desktop.raise(next);
        desktop.queue.advance(ScreenFocusTracker::kPollInterval);
        EXPECT_EQ(slot(1).state(), State::showing);
        EXPECT_EQ(steady.placement(), (OrderCall{WindowOrderingMode::below, next == 12 ? 11 : 12}))
            << "below both once raised";
    }
    EXPECT_EQ(factory.createdCount(), created) << "one application: no cross-fade";
    EXPECT_GT(steady.orders().size(), before);
    for (const auto& order : steady.orders()) {
        EXPECT_EQ(order.mode, WindowOrderingMode::below);
        EXPECT_TRUE(order.relativeTo == 11 || order.relativeTo == 12) << order.relativeTo;
    }

    // Another application, named active before its window comes up from the back.
    desktop.setActiveWindow(31);
    desktop.workspace.activate(desktop.runningApplication(kTerminal));
    desktop.queue.runUntilIdle();
    ASSERT_EQ(slot(1).state(), State::crossfading);
    const auto& incoming = portOf(slot(1).incomingWindow());
    desktop.queue.advance(Seconds{0.005});
    desktop.raise(31);
    settle();
    EXPECT_EQ(slot(1).currentPresentation()->target()->ownerPID, kTerminal);
    ASSERT_FALSE(incoming.orders().empty());
    for (const auto& order : incoming.orders()) {
        EXPECT_EQ(order, (OrderCall{WindowOrderingMode::below, 31}));
    }
}

TEST_F(OverlayCoordinatorTest, TurningDimmingOffFadesOutAndStopsTrackingThenOnRestarts) {
    startSettled();
    desktop.activate(kTerminal); // its notification's task is still queued
    settings->setIsEnabled(false);
    const int snapshots = desktop.snapshotCount();
    EXPECT_FALSE(coordinator->isTrackingSystemState());
    EXPECT_EQ(desktop.workspace.activationObserverCount(), 1u) << "only the settings' own";
    EXPECT_EQ(slot(1).state(), State::idle);
    desktop.queue.advance(Seconds{duration() / 2});
    EXPECT_EQ(factory.visibleWindows().size(), 2u) << "still fading";
    desktop.queue.advance(Seconds{duration() / 2});
    EXPECT_TRUE(factory.visibleWindows().empty());
    settle();
    EXPECT_EQ(desktop.snapshotCount(), snapshots) << "no polling while off, nor the queued task";

    settings->setIsEnabled(true);
    EXPECT_TRUE(coordinator->isTrackingSystemState());
    EXPECT_EQ(slot(1).state(), State::showing);
    EXPECT_EQ(slot(2).state(), State::showing);
}

TEST_F(OverlayCoordinatorTest, ExcludingDisplaysAndApplications) {
    startSettled();
    settings->toggleDisplayExclusion("NOT-CONNECTED");
    EXPECT_EQ(slot(2).state(), State::showing);
    settings->toggleDisplayExclusion("UUID-TWO");
    EXPECT_EQ(slot(1).state(), State::showing);
    EXPECT_EQ(slot(2).state(), State::idle);
    // An excluded front application clears every display, even on an excluded display.
    settings->toggleExclusion("org.example.Browser");
    EXPECT_EQ(slot(1).state(), State::idle);
    // Also when it is the window typed into, below another application's window.
    settings->toggleExclusion("org.example.Browser");
    settings->toggleExclusion("org.example.Terminal");
    EXPECT_EQ(slot(1).state(), State::showing);
    desktop.setActiveWindow(31);
    desktop.queue.advance(Seconds{0.15});
    EXPECT_EQ(slot(1).state(), State::idle);
}

TEST_F(OverlayCoordinatorTest, ActiveScreenOnlyDimsOtherDisplaysWhole) {
    startSettled();
    settings->setMultiScreenFocusMode(MultiScreenFocusMode::activeScreenOnly);
    EXPECT_EQ(slot(1).state(), State::showing);
    EXPECT_EQ(slot(2).state(), State::crossfading);
    EXPECT_EQ(slot(2).transitionPresentation(), ScreenOverlayPresentation::dimAll(21));
}

TEST_F(OverlayCoordinatorTest, MissionControlClearsThenWaitsForTheSettleDelayUnlessTurnedOff) {
    startSettled();
    desktop.showOverview(true);
    desktop.queue.advance(Seconds{0.15});
    EXPECT_EQ(slot(1).state(), State::idle);
    desktop.queue.advance(Seconds{0.18});
    EXPECT_TRUE(factory.visibleWindows().empty()) << "cleared over 0.18 s";

    desktop.showOverview(false);
    desktop.queue.advance(Seconds{0.15});
    EXPECT_TRUE(coordinator->isWaitingForMissionControlReturn());
    ASSERT_EQ(activator.calls.size(), 1u);
    EXPECT_EQ(activator.calls[0].application.processIdentifier, kEditor);
    EXPECT_TRUE(activator.calls[0].allWindows);
    // A workspace switch during the wait restarts the delay.
    desktop.queue.advance(Seconds{0.2});
    desktop.workspace.changeSpace();
    desktop.queue.advance(Seconds{0.2});
    EXPECT_EQ(slot(1).state(), State::idle);
    EXPECT_TRUE(coordinator->isWaitingForMissionControlReturn());
    desktop.queue.advance(Seconds{0.11});
    EXPECT_FALSE(coordinator->isWaitingForMissionControlReturn());
    EXPECT_EQ(slot(1).state(), State::showing);

    // Turning dimming off during the wait cancels it.
    desktop.showOverview(true);
    desktop.queue.advance(Seconds{0.2});
    desktop.showOverview(false);
    desktop.queue.advance(Seconds{0.15});
    ASSERT_TRUE(coordinator->isWaitingForMissionControlReturn());
    settings->setIsEnabled(false);
    EXPECT_FALSE(coordinator->isWaitingForMissionControlReturn());
    const int snapshots = desktop.snapshotCount();
    desktop.queue.advance(Seconds{0.5});
    EXPECT_EQ(desktop.snapshotCount(), snapshots) << "the settle delay's forced refresh";
    EXPECT_FALSE(desktop.queue.hasPending());
}

TEST_F(OverlayCoordinatorTest, SpaceChangeDropsOverlaysLeftOnTheOldSpace) {
    startSettled();
    const auto created = factory.createdCount();
    factory.setCurrentSpace(1);
    desktop.workspace.changeSpace();
    desktop.queue.runUntilIdle();
    // Dropped without a fade, then recreated by the forced refresh.
    EXPECT_EQ(factory.createdCount(), created + 2);
    EXPECT_EQ(factory.visibleWindows().size(), 2u);
    for (auto* port : factory.visibleWindows()) {
        EXPECT_TRUE(port->isOnActiveSpace());
    }
}

TEST_F(OverlayCoordinatorTest, TearDownLeavesNoWindowAndNoWorkEvenOnceTheCoordinatorIsGone) {
    startSettled();
    desktop.activate(kTerminal);
    desktop.queue.advance(Seconds{0.3});
    coordinator->tearDown();
    EXPECT_TRUE(factory.visibleWindows().empty());
    EXPECT_EQ(coordinator->overlayCount(), 0);
    settings->setTintIntensity(0.3);
    desktop.activate(kBrowser);
    settle();
    EXPECT_TRUE(factory.visibleWindows().empty());
    EXPECT_FALSE(desktop.queue.hasPending());

    coordinator.reset();
    settings->setTintIntensity(0.4);
    settings->setMultiScreenFocusMode(MultiScreenFocusMode::activeScreenOnly);
    desktop.activate(kEditor);
    settle();
    EXPECT_TRUE(factory.liveWindows().empty());
}

} // namespace
} // namespace tavrilux
