#include "core/focus/FocusDetection.h"
#include "fakes/FakeDesktop.h"

#include <gtest/gtest.h>

namespace tavrilux {
namespace {

using fakes::FakeDesktop;

constexpr ProcessID kOwn = 10;
constexpr ProcessID kEditor = 100;
constexpr ProcessID kBrowser = 200;
constexpr ProcessID kPanel = 300;

// Two 1000x800 displays side by side; the left one is primary.
class FocusDetectionTest : public ::testing::Test {
protected:
    FocusDetectionTest() {
        desktop.addScreen(1, Rect{0, 0, 1000, 800}, "UUID-LEFT");
        desktop.addScreen(2, Rect{1000, 0, 1000, 800}, "UUID-RIGHT");
        desktop.addProcess(kOwn, "com.mirtal.tavrilux", ActivationPolicy::accessory);
        desktop.addProcess(kEditor, "org.example.Editor");
        desktop.addProcess(kBrowser, std::nullopt);
        desktop.addProcess(kPanel, "org.example.Panel", ActivationPolicy::accessory);
    }

    FocusScene scene() {
        auto snapshot = desktop.captureSnapshot();
        EXPECT_TRUE(snapshot.has_value());
        const auto screens = screenGeometries(desktop.screens(), desktop);
        return FocusDetection::buildScene(*snapshot, screens, kOwn,
                                          windowApplicationLookup(desktop), [&](ProcessID pid) {
                                              auto app = desktop.runningApplication(pid);
                                              return app ? app->bundleIdentifier : std::nullopt;
                                          });
    }

    FakeDesktop desktop;
};

// Focus and stacking part on X11: the window typed into leads on its display wherever it lies;
// the overlay goes below the unbroken run of its application's windows under it.
TEST_F(FocusDetectionTest, TheActiveWindowLeadsAndTheAnchorEndsTheUnbrokenRunBelowIt) {
    desktop.addWindow(1, kBrowser, {100, 100, 400, 400}); // raised without the focus
    desktop.addWindow(2, kEditor, {150, 150, 50, 50});    // a dialog above its main window
    desktop.addWindow(3, kEditor, {200, 200, 400, 300});
    desktop.addWindow(4, kBrowser, {300, 300, 400, 400});
    desktop.addWindow(5, kEditor, {0, 0, 900, 700}); // a window of the editor buried under it
    const auto editor = [](WindowNumber top, WindowNumber anchor, Rect frame) {
        return ScreenFocusTarget{1, kEditor, "org.example.Editor", top, anchor, frame};
    };
    desktop.setActiveWindow(2); // the run's main window carries the glass frame
    EXPECT_EQ(scene().targets.at(1), editor(2, 3, Rect{200, 300, 400, 300}));
    desktop.setActiveWindow(3); // focused with its dialog above it
    EXPECT_EQ(scene().targets.at(1), editor(3, 3, Rect{200, 300, 400, 300}));
    desktop.setActiveWindow(5);
    EXPECT_EQ(scene().targets.at(1), editor(5, 5, Rect{0, 100, 900, 700}));
    EXPECT_EQ(scene().activeScreenID, 1u);
    // Without an active window the front-most regular window leads, with the same run anchor.
    desktop.setActiveWindow(std::nullopt);
    EXPECT_EQ(scene().targets.at(1),
              (ScreenFocusTarget{1, kBrowser, std::nullopt, 1, 1, Rect{100, 300, 400, 400}}));
}

TEST_F(FocusDetectionTest, EmptyListsMalformedEntriesAndNoDisplayGiveNothing) {
    EXPECT_EQ(scene(), FocusScene{});
    desktop.addEntry(WindowInfo{20, kBrowser, 0, std::nullopt});                     // no bounds
    desktop.addEntry(WindowInfo{21, std::nullopt, 0, WindowBounds{0, 0, 500, 500}}); // no owner
    desktop.addEntry(WindowInfo{22, kBrowser, std::nullopt, WindowBounds{0, 0, 500, 500}});
    desktop.addEntry(WindowInfo{std::nullopt, kBrowser, 0, WindowBounds{0, 0, 500, 500}});
    desktop.addWindow(23, kBrowser, {0, 0, 0, 500});
    desktop.addWindow(24, kBrowser, {0, 0, 500, 0});
    desktop.addWindow(25, kEditor, {10, 10, 300, 300});
    const auto result = scene();
    ASSERT_EQ(result.targets.size(), 1u);
    EXPECT_EQ(result.targets.at(1).ownerPID, kEditor);
    EXPECT_EQ(result.targets.at(1).anchorWindowNumber, 25);
    desktop.clearScreens();
    EXPECT_EQ(scene(), FocusScene{});
}

TEST_F(FocusDetectionTest, WindowRecordsFlipAgainstThePrimaryDisplayHeight) {
    WindowSnapshot snapshot{{WindowInfo{1, kEditor, 0, WindowBounds{10, 20, 30, 40}}}, {}};
    // A taller display at the origin listed second is still the reference.
    const std::vector<ScreenGeometry> screens{{7, Rect{-500, 0, 500, 300}},
                                              {8, Rect{0, 0, 1000, 600}}};
    EXPECT_EQ(snapshot.windowRecords(screens).at(0).frame, (Rect{10, 600 - 20 - 40, 30, 40}));
    // No display at the origin: the first display's height.
    const std::vector<ScreenGeometry> shifted{{7, Rect{5, 5, 500, 300}}, {8, Rect{0, 1, 10, 10}}};
    EXPECT_EQ(snapshot.windowRecords(shifted).at(0).frame.y, 300 - 20 - 40);
    // No display at all: the reference is 0.
    EXPECT_EQ(snapshot.windowRecords({}).at(0).frame.y, -60);
}

TEST_F(FocusDetectionTest, StraddlingWindowLeadsOnBothDisplaysWithPerDisplayAnchorAndFrame) {
    desktop.addWindow(1, kEditor, {800, 100, 400, 300});  // straddles both
    desktop.addWindow(2, kEditor, {1500, 100, 300, 300}); // right only
    desktop.addWindow(3, kEditor, {100, 100, 200, 200});  // left only
    desktop.addWindow(4, kBrowser, {1200, 50, 500, 500}); // right, behind
    const auto result = scene();
    const auto& left = result.targets.at(1);
    const auto& right = result.targets.at(2);
    EXPECT_EQ(left.topWindowNumber, 1);
    EXPECT_EQ(right.topWindowNumber, 1);
    EXPECT_EQ(left.anchorWindowNumber, 3);
    EXPECT_EQ(right.anchorWindowNumber, 2);
    EXPECT_EQ(left.windowFrame, right.windowFrame);
    // The active window leads on the displays it meets and makes the active display (the larger
    // share); a display it does not meet keeps its front window.
    desktop.setActiveWindow(4);
    auto active = scene();
    EXPECT_EQ(active.targets.at(2).topWindowNumber, 4);
    EXPECT_EQ(active.targets.at(1).topWindowNumber, 1);
    EXPECT_EQ(active.activeScreenID, 2u);
    desktop.moveWindow(4, {900, 50, 500, 500});
    active = scene();
    EXPECT_EQ(active.targets.at(1).topWindowNumber, 4);
    EXPECT_EQ(active.targets.at(2).topWindowNumber, 4);
    EXPECT_EQ(active.activeScreenID, 2u);
    desktop.setActiveWindow(std::nullopt);
    // A window that only touches a display's edge is no candidate there.
    desktop.removeWindow(1);
    desktop.addWindow(5, kBrowser, {1000, 0, 100, 100});
    desktop.raise(5);
    EXPECT_EQ(scene().targets.at(1).topWindowNumber, 3);
}

TEST_F(FocusDetectionTest, OwnAccessoryUnknownAndNonZeroLayerWindowsArePassedOver) {
    desktop.addWindow(1, kOwn, {0, 0, 1000, 800});
    desktop.addWindow(2, kPanel, {0, 0, 1000, 30});
    desktop.addWindow(3, 999, {0, 0, 1000, 800}); // not a running application
    desktop.addWindow(4, kEditor, {0, 0, 1000, 800}, 3);
    desktop.addWindow(5, kBrowser, {50, 50, 400, 400});
    desktop.addWindow(6, kBrowser, {60, 60, 400, 400}, 8);
    desktop.addWindow(7, kEditor, {3000, 0, 500, 500}); // off every display
    // Nor can they lead as the active window (a listed one or not).
    for (const WindowNumber active : {1, 2, 3, 4, 7, 99}) {
        desktop.setActiveWindow(active);
        const auto result = scene();
        EXPECT_EQ(result.targets.at(1).topWindowNumber, 5) << active;
        EXPECT_EQ(result.targets.at(1).anchorWindowNumber, 5);
        EXPECT_EQ(result.activeScreenID, 1u);
    }
}

TEST_F(FocusDetectionTest, SmallWindowsOnlyGiveTheTopWindowsFrame) {
    desktop.addWindow(1, kEditor, {10, 10, 99, 400});
    desktop.addWindow(2, kEditor, {10, 10, 400, 99});
    const auto result = scene();
    EXPECT_EQ(result.targets.at(1).windowFrame, (Rect{10, 800 - 10 - 400, 99, 400}));
    EXPECT_EQ(result.targets.at(1).anchorWindowNumber, 2);
}

TEST_F(FocusDetectionTest, ActiveDisplayFollowsTheLargestShareOfTheMainWindow) {
    desktop.addWindow(1, kEditor, {900, 0, 400, 300}); // 100 left, 300 right
    EXPECT_EQ(scene().activeScreenID, 2u);
    desktop.moveWindow(1, {800, 0, 400, 300}); // exactly half on each: the earlier display
    EXPECT_EQ(scene().activeScreenID, 1u);
    // The main window counts, not the small front window on the left.
    desktop.moveWindow(1, {1200, 100, 500, 500});
    desktop.addWindow(2, kEditor, {100, 100, 50, 50});
    desktop.raise(2);
    EXPECT_EQ(scene().activeScreenID, 2u);
    // Outside every display, or only touching one at an edge: no active display, targets remain.
    desktop.removeWindow(2);
    desktop.addWindow(3, kEditor, {3000, 0, 400, 400});
    desktop.raise(3);
    desktop.addWindow(4, kBrowser, {100, 100, 400, 400});
    EXPECT_EQ(scene().activeScreenID, std::nullopt);
    EXPECT_EQ(scene().targets.at(1).ownerPID, kBrowser);
    desktop.moveWindow(3, {2000, 0, 400, 400});
    EXPECT_EQ(scene().activeScreenID, std::nullopt);
}

TEST_F(FocusDetectionTest, DisplaysWithoutANumberShareTheMainDisplaysIdAndTheLaterTargetWins) {
    desktop.clearScreens();
    desktop.setMainDisplayID(42);
    desktop.addScreen(std::nullopt, Rect{0, 0, 1000, 800});
    desktop.addScreen(std::nullopt, Rect{1000, 0, 1000, 800});
    desktop.addWindow(1, kEditor, {100, 100, 400, 400});
    desktop.addWindow(2, kBrowser, {1100, 100, 400, 400});
    auto result = scene();
    ASSERT_EQ(result.targets.size(), 1u);
    EXPECT_EQ(result.targets.at(42).ownerPID, kBrowser);
    // A later display without a target leaves the earlier entry in place.
    desktop.removeWindow(2);
    result = scene();
    EXPECT_EQ(result.targets.at(42).ownerPID, kEditor);
}

TEST_F(FocusDetectionTest, EachProcessIsLookedUpOncePerCallWhateverTheDisplays) {
    desktop.addScreen(3, Rect{2000, 0, 1000, 800});
    for (int i = 0; i < 3; ++i) {
        desktop.addWindow(10 + i, kPanel, {i * 1000.0, 0, 1000, 30});
        desktop.addWindow(20 + i, kEditor, {i * 1000.0 + 10, 40, 500, 500});
    }
    auto snapshot = desktop.captureSnapshot();
    const auto screens = screenGeometries(desktop.screens(), desktop);
    const auto records = snapshot->windowRecords(screens);
    const auto targets =
        FocusDetection::focusTargets(records, screens, kOwn, windowApplicationLookup(desktop));
    EXPECT_EQ(targets.size(), 3u);
    EXPECT_EQ(desktop.lookupCount(kPanel), 1);
    EXPECT_EQ(desktop.lookupCount(kEditor), 1);
}

TEST_F(FocusDetectionTest, OverviewCountsOnlyOnItsLayerAndForItsOwner) {
    desktop.addProcess(FakeDesktop::kOverviewPID + 1, std::string(kOverviewOwnerKey),
                       ActivationPolicy::prohibited);
    // The overview owner on another layer, and another process on the overview layer.
    desktop.addWindow(1, FakeDesktop::kOverviewPID + 1, {0, 0, 10, 10}, 20);
    desktop.addWindow(2, kEditor, {0, 0, 10, 10}, WindowSnapshot::kOverviewLayer);
    EXPECT_FALSE(scene().isMissionControlActive);
    // The layer is checked before the owner is looked up.
    int lookups = 0;
    EXPECT_FALSE(desktop.captureSnapshot()->isMissionControlActive([&](ProcessID pid) {
        lookups += pid != kEditor;
        return std::optional<std::string>();
    }));
    EXPECT_EQ(lookups, 0);
    // A zero-sized entry still counts: the test reads the raw list.
    desktop.addEntry(
        WindowInfo{3, FakeDesktop::kOverviewPID + 1, WindowSnapshot::kOverviewLayer, std::nullopt});
    EXPECT_TRUE(scene().isMissionControlActive);
}

} // namespace
} // namespace tavrilux
