#include "core/overlay/OverlayPresentationPolicy.h"

#include <gtest/gtest.h>

namespace tavrilux {
namespace {

DimmingConfiguration config(bool enabled = true, EffectMode mode = EffectMode::ambient) {
    return DimmingConfiguration(enabled, 0.3, 0.5, OverlayColor::black, 0.2, mode, 0.5, 0.8, 0.4);
}

ScreenFocusTarget target(DisplayID display, ProcessID pid, std::optional<std::string> key,
                         WindowNumber top) {
    return ScreenFocusTarget{display, pid, std::move(key), top, top + 1, Rect{0, 0, 100, 100}};
}

// Display 1 shows the editor, display 2 the browser; the editor's display is active.
FocusScene twoDisplays() {
    FocusScene scene;
    scene.targets.emplace(1, target(1, 100, "org.example.Editor", 11));
    scene.targets.emplace(2, target(2, 200, "org.example.Browser", 21));
    scene.activeScreenID = 1;
    return scene;
}

OverlayPresentationDecision
decide(const std::optional<FocusScene>& scene, const DimmingConfiguration& configuration = config(),
       std::set<std::string> apps = {}, std::set<DisplayID> displays = {},
       MultiScreenFocusMode mode = MultiScreenFocusMode::perScreen, bool waiting = false) {
    return OverlayPresentationPolicy::decide(scene, configuration, apps, displays, mode, waiting);
}

TEST(OverlayPresentationPolicyTest, ClearingRulesAndTheirDurations) {
    const OverlayPresentationDecision clear{{}, 0.8};
    auto overview = twoDisplays();
    overview.isMissionControlActive = true;
    EXPECT_EQ(decide(overview, config(), {"org.example.Editor"}),
              (OverlayPresentationDecision{{}, 0.18}))
        << "Mission Control comes before the exclusions";
    EXPECT_EQ(decide(std::nullopt), clear) << "no scene";
    EXPECT_EQ(decide(twoDisplays(), config(), {"org.example.Browser"}), clear)
        << "one excluded application in front clears every display";
    EXPECT_EQ(decide(twoDisplays(), config(false)), clear) << "disabled";
    EXPECT_EQ(decide(twoDisplays(), config(), {}, {}, MultiScreenFocusMode::perScreen, true), clear)
        << "waiting for Mission Control";
    for (auto mode : {MultiScreenFocusMode::perScreen, MultiScreenFocusMode::activeScreenOnly}) {
        EXPECT_EQ(decide(FocusScene{}, config(), {}, {}, mode), clear) << "empty scene";
    }
    // A target without a key never matches.
    auto scene = twoDisplays();
    scene.targets.at(2).bundleIdentifier.reset();
    EXPECT_EQ(decide(scene, config(), {""}).presentations.size(), 2u);
}

TEST(OverlayPresentationPolicyTest, PerScreenFocusesEveryEligibleDisplay) {
    const auto scene = twoDisplays();
    auto decision = decide(scene);
    ASSERT_EQ(decision.presentations.size(), 2u);
    EXPECT_EQ(decision.presentations.at(2),
              ScreenOverlayPresentation::focusedWindow(scene.targets.at(2)));
    decision = decide(scene, config(), {}, {1});
    ASSERT_EQ(decision.presentations.size(), 1u);
    EXPECT_TRUE(decision.presentations.at(2).isFocusedWindow());
    EXPECT_DOUBLE_EQ(decision.clearDuration, 0.8);
}

TEST(OverlayPresentationPolicyTest, ActiveScreenOnlyDimsTheOtherDisplaysAboveTheirTopWindowIfAny) {
    const auto scene = twoDisplays();
    for (auto mode : {EffectMode::ambient, EffectMode::fullscreen}) {
        const auto decision =
            decide(scene, config(true, mode), {}, {}, MultiScreenFocusMode::activeScreenOnly);
        ASSERT_EQ(decision.presentations.size(), 2u);
        EXPECT_EQ(decision.presentations.at(1),
                  ScreenOverlayPresentation::focusedWindow(scene.targets.at(1)));
        EXPECT_EQ(decision.presentations.at(2), ScreenOverlayPresentation::dimAll(21));
    }
    const auto aura = decide(scene, config(true, EffectMode::aura), {}, {},
                             MultiScreenFocusMode::activeScreenOnly);
    ASSERT_EQ(aura.presentations.size(), 1u);
    EXPECT_TRUE(aura.presentations.at(1).isFocusedWindow());
    // An excluded active display still dims the others.
    const auto excluded = decide(scene, config(), {}, {1}, MultiScreenFocusMode::activeScreenOnly);
    ASSERT_EQ(excluded.presentations.size(), 1u);
    EXPECT_EQ(excluded.presentations.at(2), ScreenOverlayPresentation::dimAll(21));
    // Without a target on the active display, or without an active display: as per screen.
    auto noActive = scene;
    for (const std::optional<DisplayID> active :
         {std::optional<DisplayID>(3), std::optional<DisplayID>()}) {
        noActive.activeScreenID = active;
        EXPECT_EQ(decide(noActive, config(), {}, {}, MultiScreenFocusMode::activeScreenOnly),
                  decide(noActive));
    }
}

TEST(ScreenOverlayPresentationTest, FamiliesAreTheKindAndForAFocusedWindowItsProcess) {
    auto t1 = target(1, 100, "x", 5);
    auto t2 = t1;
    t2.windowFrame.width = 101;
    t2.bundleIdentifier.reset();
    auto t3 = t1;
    t3.ownerPID = 101;
    const auto f1 = ScreenOverlayPresentation::focusedWindow(t1);
    const auto a = ScreenOverlayPresentation::dimAll(1);
    EXPECT_NE(f1, ScreenOverlayPresentation::focusedWindow(t2));
    EXPECT_TRUE(f1.isSameFamily(ScreenOverlayPresentation::focusedWindow(t2)));
    EXPECT_FALSE(f1.isSameFamily(ScreenOverlayPresentation::focusedWindow(t3)));
    EXPECT_NE(a, ScreenOverlayPresentation::dimAll(2));
    EXPECT_TRUE(a.isSameFamily(ScreenOverlayPresentation::dimAll(2)));
    EXPECT_FALSE(f1.isSameFamily(a));
    EXPECT_FALSE(a.isSameFamily(f1));
}

} // namespace
} // namespace tavrilux
