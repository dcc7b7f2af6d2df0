#include "TestWindow.h"
#include "X11FocusFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <unistd.h>

namespace tavrilux::x11 {
namespace {

using namespace std::chrono_literals;

class X11FocusEndToEndTest : public X11FocusFixture {
protected:
    void startTracker(Seconds pollInterval = ScreenFocusTracker::kPollInterval) {
        tracker =
            std::make_unique<ScreenFocusTracker>(queue, *x11, *x11, *x11, ::getpid(), pollInterval);
        observer.observeApplicationActivated(*x11, [this] {
            ++activationRefreshes;
            tracker->refresh(false);
        });
        observer.observeScreenParametersChanged(*x11, [this] { tracker->refresh(true); });
        observer.observeActiveSpaceChanged(*x11, [this] { tracker->refresh(true); });
        tracker->start([this](const FocusScene& scene) { scenes.push_back(scene); });
    }
    void TearDown() override {
        observer.stop();
        if (tracker) {
            tracker->stop();
        }
        tracker.reset();
        X11FocusFixture::TearDown();
    }
    bool waitForScene(const std::function<bool(const FocusScene&)>& matches,
                      Seconds timeout = Seconds{5.0}) {
        return queue.runUntil([&] { return !scenes.empty() && matches(scenes.back()); }, timeout);
    }

    SystemEventObserver observer{queue};
    std::unique_ptr<ScreenFocusTracker> tracker;
    std::vector<FocusScene> scenes;
    int activationRefreshes = 0;
};

TEST_F(X11FocusEndToEndTest, TwoApplicationsOnTwoMonitorsGiveOneTargetPerMonitorAndOursNone) {
    const auto editor = startManagedClient(
        {"--class", "editor,Editor", "--color", "cc3333", "--geometry", "500x400+100+120"});
    const auto viewer = startManagedClient(
        {"--class", "viewer,Viewer", "--color", "33cc33", "--geometry", "600x300+1500+200"});
    startTracker();
    const DisplayID left = displayNumber("tavrilux-left");
    const DisplayID right = displayNumber("tavrilux-right");
    ASSERT_TRUE(waitForScene([&](const FocusScene& s) { return s.targets.size() == 2; }));
    const auto& scene = scenes.back();

    for (const auto& [screen, app, key] :
         {std::tuple{left, &editor, "Editor"}, std::tuple{right, &viewer, "Viewer"}}) {
        const auto w = app->windows[0];
        EXPECT_EQ(scene.targets.at(screen),
                  (ScreenFocusTarget{screen, app->pid, key, w, w, expectedFrame(w)}));
    }
    EXPECT_FALSE(scene.isMissionControlActive);
    // The active display follows the activated application.
    for (const auto& [app, screen] : {std::pair{&viewer, right}, std::pair{&editor, left}}) {
        control->activate(app->windows[0]);
        EXPECT_TRUE(waitForScene([&](const FocusScene& s) { return s.activeScreenID == screen; }));
    }

    // The screens' names and keys.
    const auto screens = x11->screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].localizedName, "tavrilux-left");
    // The left monitor has an output to name it, the right one nothing: its key is its number.
    EXPECT_EQ(tavriluxDisplayUUID(screens[0], *x11).size(), 36u);
    EXPECT_EQ(tavriluxDisplayUUID(screens[1], *x11), std::to_string(right));

    // A window of our own process, active over the editor: listed, but never a target.
    xcb_connection_t* own = xcb_connect(desktop->display().c_str(), nullptr);
    testdesktop::TestWindowOptions options; // at (100, 100)
    options.width = 1100;
    options.height = 600;
    testdesktop::TestWindow ownWindow(own, options); // _NET_WM_PID is this process
    ASSERT_TRUE(control->waitForManaged({ownWindow.id()}));
    control->activate(ownWindow.id());
    ASSERT_TRUE(control->waitUntil([&] { return control->activeWindow() == ownWindow.id(); }));
    tracker->refresh(true);
    EXPECT_EQ(scenes.back().targets.at(left).ownerPID, editor.pid);
    EXPECT_EQ(scenes.back().activeScreenID, left);
    const auto mine = entriesOf(*x11->captureSnapshot(), {ownWindow.id()});
    ASSERT_EQ(mine.size(), 1u);
    EXPECT_EQ(mine[0].ownerPID, ::getpid());
    ownWindow.destroy();
    xcb_disconnect(own);
}

TEST_F(X11FocusEndToEndTest, ActivationsNameTheirApplicationAndDeliverANewSceneAtOnce) {
    std::vector<std::optional<RunningApplication>> activations;
    auto subscription = x11->onApplicationActivated(
        [&](const std::optional<RunningApplication>& app) { activations.push_back(app); });
    // Newly started: no refresh runs yet, only the notification road reads the desktop.
    const auto back = startManagedClient({"--class", "back,Back", "--geometry", "500x400+100+100"});
    control->activate(back.windows[0]);
    ASSERT_TRUE(queue.runUntil(
        [&] {
            return !activations.empty() && activations.back() &&
                   activations.back()->processIdentifier == back.pid;
        },
        Seconds{5.0}));
    EXPECT_EQ(activations.back()->bundleIdentifier, "Back");
    EXPECT_EQ(activations.back()->activationPolicy, ActivationPolicy::regular);
    // A new connection knows it before anything else is asked.
    auto other = X11Desktop::connect(
        queue, desktop->display().c_str(), nullptr,
        std::make_shared<linux_platform::DesktopEntryIndex>(std::vector<std::filesystem::path>{}));
    ASSERT_TRUE(other);
    const auto known = other->frontmostApplication();
    ASSERT_TRUE(known);
    EXPECT_EQ(known->bundleIdentifier, "Back");

    const auto front =
        startManagedClient({"--class", "front,Front", "--geometry", "500x400+200+150"});
    control->activate(front.windows[0]);
    // Polls a minute apart: any new scene below comes from the activation notification.
    startTracker(Seconds{60.0});
    const DisplayID left = displayNumber("tavrilux-left");
    ASSERT_TRUE(waitForScene(
        [&](const FocusScene& s) { return s.targets.at(left).ownerPID == front.pid; }));
    control->activate(back.windows[0]);
    ASSERT_TRUE(
        waitForScene([&](const FocusScene& s) { return s.targets.at(left).ownerPID == back.pid; }));
    EXPECT_GE(activationRefreshes, 1);
    EXPECT_EQ(scenes.back().targets.at(left).bundleIdentifier, "Back");
    // openbox clears _NET_ACTIVE_WINDOW before it names the new window, and a scene read in
    // between leads with the front-most window: the frontmost application follows once the
    // window is named.
    EXPECT_TRUE(queue.runUntil(
        [&] {
            const auto app = x11->frontmostApplication();
            return app && app->processIdentifier == back.pid;
        },
        Seconds{5.0}));
    // Every activation named its application.
    for (const auto& app : activations) {
        EXPECT_TRUE(app.has_value());
    }
}

TEST_F(X11FocusEndToEndTest, MovingAWindowByOnePixelDeliversOneNewScene) {
    const auto app = startManagedClient({"--geometry", "400x300+300+200"});
    startTracker();
    const DisplayID left = displayNumber("tavrilux-left");
    ASSERT_TRUE(waitForScene([&](const FocusScene& s) { return s.targets.contains(left); }));
    const Rect before = scenes.back().targets.at(left).windowFrame;
    const auto count = scenes.size();

    const auto frame = control->frameGeometry(app.windows[0]);
    control->moveFrame(app.windows[0], frame->x + 1, frame->y);
    ASSERT_TRUE(
        control->waitUntil([&] { return control->frameGeometry(app.windows[0])->x != frame->x; }));
    ASSERT_TRUE(waitForScene(
        [&](const FocusScene& s) { return s.targets.at(left).windowFrame != before; }));
    EXPECT_EQ(scenes.size(), count + 1);
    EXPECT_EQ(scenes.back().targets.at(left).windowFrame, expectedFrame(app.windows[0]));
    EXPECT_EQ(std::abs(scenes.back().targets.at(left).windowFrame.x - before.x), 1.0);
}

TEST_F(X11FocusEndToEndTest, SpaceChangesAndTheShowDesktopModeAreReported) {
    int spaces = 0;
    auto spaceSubscription = x11->onActiveSpaceChanged([&] { ++spaces; });
    const auto sticky = startManagedClient({"--geometry", "400x300+100+100"});
    control->moveToDesktop(sticky.windows[0], 0xFFFFFFFF); // on every desktop
    // And marked so, as most window managers (not openbox) do.
    const xcb_atom_t stickyState = control->atom("_NET_WM_STATE_STICKY");
    xcb_change_property(control->connection(), XCB_PROP_MODE_REPLACE, sticky.windows[0],
                        control->atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 1, &stickyState);
    const auto front = startManagedClient({"--geometry", "400x300+300+200"});
    control->activate(front.windows[0]);
    startTracker();
    const DisplayID left = displayNumber("tavrilux-left");
    const auto targetIs = [&](ProcessID pid) {
        return waitForScene([&](const FocusScene& s) {
            return s.targets.size() == 1 && s.targets.at(left).ownerPID == pid;
        });
    };
    ASSERT_TRUE(targetIs(front.pid));

    // Desktop 2: the front window stays on desktop 1 and leaves the list; the other one shows.
    control->switchDesktop(1);
    ASSERT_TRUE(queue.runUntil([&] { return spaces > 0; }, Seconds{5.0}));
    ASSERT_TRUE(targetIs(sticky.pid));

    // Showing the desktop is reported as the overview.
    control->setShowingDesktop(true);
    ASSERT_TRUE(waitForScene([](const FocusScene& s) { return s.isMissionControlActive; }));
    control->setShowingDesktop(false);
    EXPECT_TRUE(waitForScene(
        [](const FocusScene& s) { return !s.isMissionControlActive && !s.targets.empty(); }));
}

TEST_F(X11FocusEndToEndTest, AnUnchangedDesktopIsListedWithoutARoundTrip) {
    const auto client = startManagedClient({"--count", "10", "--geometry", "300x200+50+50"});
    // Once the desktop has settled (the compositor may still be starting), a refresh is free.
    std::optional<WindowSnapshot> snapshot;
    auto before = x11->roundTrips();
    ASSERT_TRUE(control->waitUntil([&] {
        before = x11->roundTrips();
        snapshot = x11->captureSnapshot();
        return x11->roundTrips() == before;
    }));
    EXPECT_EQ(entriesOf(*snapshot, client.windows).size(), 10u);

    // Everything read again: the list, then all properties in one batch.
    x11->invalidateCache();
    before = x11->roundTrips();
    EXPECT_EQ(x11->captureSnapshot()->windowInfo, snapshot->windowInfo);
    EXPECT_EQ(x11->roundTrips() - before, 2u);
}

} // namespace
} // namespace tavrilux::x11
