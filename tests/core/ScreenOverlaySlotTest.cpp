#include "core/overlay/ScreenOverlaySlot.h"
#include "core/animation/AnimationConstants.h"
#include "core/overlay/OverlayManager.h"
#include "fakes/FakeOverlayWindowFactory.h"
#include "fakes/VirtualMainQueue.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tavrilux {
namespace {

using fakes::FakeOverlayWindowFactory;
using fakes::FakeOverlayWindowPort;
using fakes::OrderCall;
using fakes::VirtualMainQueue;
using State = ScreenOverlaySlot::State;

const Rect kScreen{0, 0, 1000, 800};

DimmingConfiguration lookWithDuration(double seconds, double tint = 0.5) {
    return DimmingConfiguration(true, 0.0, tint, OverlayColor{0, 0, 0}, 0.25,
                                EffectMode::fullscreen, 0.5, seconds, 0.35);
}

ScreenOverlayPresentation focused(ProcessID pid, WindowNumber anchor,
                                  Rect frame = Rect{100, 100, 300, 200}) {
    ScreenFocusTarget target;
    target.screenID = 1;
    target.ownerPID = pid;
    target.topWindowNumber = anchor + 1000;
    target.anchorWindowNumber = anchor;
    target.windowFrame = frame;
    return ScreenOverlayPresentation::focusedWindow(target);
}

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

struct ScreenOverlaySlotTest : ::testing::Test {
    VirtualMainQueue queue;
    FakeOverlayWindowFactory factory;
    std::shared_ptr<ScreenOverlaySlot> slot =
        ScreenOverlaySlot::make(ScreenGeometry{1, kScreen}, lookWithDuration(1.0), queue, factory);

    void advance(double seconds) { queue.advance(Seconds{seconds}); }
    // Starts a cross-fade from A (pid 1) to B (pid 2) and returns once it is running.
    void crossfadeAtoB() {
        slot->setPresentation(focused(1, 11));
        advance(2.0);
        slot->setPresentation(focused(2, 22));
    }
};

TEST_F(ScreenOverlaySlotTest, IdleSlotFadesInBelowTheAnchor) {
    EXPECT_EQ(slot->state(), State::idle);
    EXPECT_FALSE(slot->steadyWindow().isVisible()) << "not ordered in at creation";
    slot->setPresentation(focused(1, 11));
    EXPECT_EQ(slot->state(), State::showing);
    const auto& port = portOf(slot->steadyWindow());
    EXPECT_EQ(port.placement(), (OrderCall{WindowOrderingMode::below, 11}));
    EXPECT_EQ(slot->steadyWindow().presentationAlpha(), 0.0);
    advance(0.5);
    EXPECT_NEAR(slot->steadyWindow().presentationAlpha(), 0.5, 1e-6) << "ease in-out midpoint";
    advance(0.5);
    EXPECT_EQ(slot->steadyWindow().presentationAlpha(), 1.0);
    EXPECT_EQ(slot->steadyWindow().contentView().lastWindowRect(), (Rect{100, 100, 300, 200}));
    EXPECT_EQ(slot->steadyWindow().paintState().tintColor.alpha, 0.5) << "look applied";
}

TEST_F(ScreenOverlaySlotTest, SameApplicationMovesTheWindowWithoutAFade) {
    slot->setPresentation(focused(1, 11));
    advance(2.0);
    slot->setPresentation(focused(1, 12, Rect{0, 0, 500, 500}));
    EXPECT_EQ(slot->state(), State::showing);
    EXPECT_EQ(factory.createdCount(), 1u);
    EXPECT_EQ(portOf(slot->steadyWindow()).placement(), (OrderCall{WindowOrderingMode::below, 12}));
    EXPECT_FALSE(slot->steadyWindow().isAnimating());
    EXPECT_EQ(slot->steadyWindow().presentationAlpha(), 1.0);
    EXPECT_EQ(slot->steadyWindow().contentView().lastWindowRect(), (Rect{0, 0, 500, 500}));
}

TEST_F(ScreenOverlaySlotTest, OtherApplicationCrossFadesToAFreshWindow) {
    crossfadeAtoB();
    ASSERT_EQ(slot->state(), State::crossfading);
    EXPECT_EQ(slot->overlayCount(), 2);
    OverlayWindow* incoming = slot->incomingWindow();
    OverlayWindow* outgoing = slot->outgoingWindow();
    EXPECT_EQ(portOf(incoming).placement(), (OrderCall{WindowOrderingMode::below, 22}));
    EXPECT_EQ(portOf(outgoing).placement(), (OrderCall{WindowOrderingMode::below, 11}));
    advance(1.0);
    EXPECT_EQ(slot->state(), State::showing);
    EXPECT_EQ(&slot->steadyWindow(), incoming);
    EXPECT_EQ(slot->overlayCount(), 1);
    EXPECT_EQ(factory.visibleWindows().size(), 1u);
    EXPECT_EQ(slot->currentPresentation(), focused(2, 22));
}

TEST_F(ScreenOverlaySlotTest, SameApplicationDuringACrossFadeMovesTheIncomingWindowOnly) {
    crossfadeAtoB();
    advance(0.3);
    OverlayWindow* incoming = slot->incomingWindow();
    const double alpha = incoming->presentationAlpha();
    slot->setPresentation(focused(2, 24, Rect{10, 10, 300, 300}));
    EXPECT_EQ(slot->state(), State::crossfading);
    EXPECT_EQ(slot->incomingWindow(), incoming);
    EXPECT_EQ(portOf(incoming).placement(), (OrderCall{WindowOrderingMode::below, 24}));
    EXPECT_EQ(incoming->contentView().lastWindowRect(), (Rect{10, 10, 300, 300}));
    EXPECT_EQ(incoming->presentationAlpha(), alpha);
    EXPECT_EQ(factory.createdCount(), 2u);
    // The fades keep their course: the cross-fade still ends at 1 s.
    advance(0.69);
    EXPECT_EQ(slot->state(), State::crossfading);
    advance(0.02);
    EXPECT_EQ(slot->state(), State::showing);
    EXPECT_EQ(slot->currentPresentation(), focused(2, 24, Rect{10, 10, 300, 300}));
}

TEST_F(ScreenOverlaySlotTest, CrossFadeCurvesAreEaseOutInAndEaseInOut) {
    using Curves = AnimationConstants::TimingFunction;
    crossfadeAtoB();
    OverlayWindow* incoming = slot->incomingWindow();
    OverlayWindow* outgoing = slot->outgoingWindow();
    for (double t : {0.1, 0.15, 0.25}) {
        advance(t - queue.now().count() + 2.0);
        EXPECT_NEAR(incoming->presentationAlpha(), Curves::easeOut().valueAt(t), 1e-9) << t;
        EXPECT_NEAR(outgoing->presentationAlpha(), 1.0 - Curves::easeIn().valueAt(t), 1e-9) << t;
    }
}

TEST_F(ScreenOverlaySlotTest, DimAllAndFocusedWindowAreDifferentFamilies) {
    slot->setPresentation(ScreenOverlayPresentation::dimAll(5));
    EXPECT_EQ(portOf(slot->steadyWindow()).placement(), (OrderCall{WindowOrderingMode::above, 5}));
    advance(2.0);
    slot->setPresentation(ScreenOverlayPresentation::dimAll(6));
    EXPECT_EQ(slot->state(), State::showing);
    slot->setPresentation(focused(1, 11));
    EXPECT_EQ(slot->state(), State::crossfading);
}

TEST_F(ScreenOverlaySlotTest, SecondChangeIsQueuedAndHurriesTheCrossFadeFromThePresentAlphas) {
    using Curves = AnimationConstants::TimingFunction;
    crossfadeAtoB();
    advance(0.3);
    OverlayWindow* incoming = slot->incomingWindow();
    OverlayWindow* outgoing = slot->outgoingWindow();
    const double in0 = incoming->presentationAlpha();
    const double out0 = outgoing->presentationAlpha();
    ASSERT_GT(in0, 0.1);
    ASSERT_LT(out0, 0.9);
    slot->setPresentation(focused(3, 33));
    EXPECT_EQ(slot->state(), State::crossfadingWithPending);
    EXPECT_NEAR(incoming->presentationAlpha(), in0, 1e-9) << "no jump back to 0";
    EXPECT_NEAR(outgoing->presentationAlpha(), out0, 1e-9) << "no jump back to 1";
    queue.runUntilIdle(); // the replaced fades' completions, stale
    advance(0.09);
    ASSERT_EQ(slot->state(), State::crossfadingWithPending);
    const double half = 0.09 / ScreenOverlaySlot::kHurriedCrossfadeSeconds;
    EXPECT_NEAR(incoming->presentationAlpha(), in0 + (1.0 - in0) * Curves::easeOut().valueAt(half),
                1e-9);
    EXPECT_NEAR(outgoing->presentationAlpha(), out0 * (1.0 - Curves::easeIn().valueAt(half)), 1e-9);
    advance(0.08);
    EXPECT_EQ(slot->state(), State::crossfadingWithPending);
    advance(0.011);
    // The hurried fade ended: B is steady, and C's own cross-fade starts.
    EXPECT_EQ(slot->state(), State::crossfading);
    EXPECT_EQ(slot->outgoingWindow(), incoming);
    EXPECT_EQ(slot->transitionPresentation(), focused(3, 33));
    EXPECT_EQ(factory.createdCount(), 3u);
    EXPECT_EQ(factory.visibleWindows().size(), 2u);
    advance(1.0);
    EXPECT_EQ(slot->state(), State::showing);
    EXPECT_EQ(slot->currentPresentation(), focused(3, 33));
    EXPECT_EQ(factory.visibleWindows().size(), 1u);
}

TEST_F(ScreenOverlaySlotTest, QueuedChangeOfTheNewFamilyBecomesAPlainMove) {
    crossfadeAtoB();
    slot->setPresentation(focused(3, 33));
    slot->setPresentation(focused(2, 23)); // back to B's family: C is dropped
    EXPECT_EQ(slot->state(), State::crossfading);
    EXPECT_EQ(portOf(slot->incomingWindow()).placement(),
              (OrderCall{WindowOrderingMode::below, 23}));
    advance(0.2);
    EXPECT_EQ(slot->state(), State::showing);
    EXPECT_EQ(slot->currentPresentation(), focused(2, 23));
    EXPECT_EQ(factory.createdCount(), 2u);
}

TEST_F(ScreenOverlaySlotTest, PendingOfTheIncomingFamilyIsMovedAtTheEnd) {
    crossfadeAtoB();
    slot->setPresentation(ScreenOverlayPresentation::dimAll(9));
    EXPECT_EQ(slot->state(), State::crossfadingWithPending);
    // A new change of the transition's family drops the pending one; another family replaces it.
    slot->setPresentation(ScreenOverlayPresentation::dimAll(8));
    EXPECT_EQ(slot->pendingPresentation(), ScreenOverlayPresentation::dimAll(8));
    advance(0.2);
    EXPECT_EQ(slot->state(), State::crossfading);
    EXPECT_EQ(slot->transitionPresentation(), ScreenOverlayPresentation::dimAll(8));
}

TEST_F(ScreenOverlaySlotTest, ClearDuringACrossFadeLeavesTheOutgoingWindowFadingFromFull) {
    crossfadeAtoB();
    advance(0.5);
    const auto incomingSerial = portOf(slot->incomingWindow()).serial();
    OverlayWindow* outgoing = slot->outgoingWindow();
    slot->clear(0.4);
    EXPECT_EQ(slot->state(), State::idle);
    // The incoming window is ordered out (and released with the transition).
    ASSERT_EQ(factory.visibleWindows().size(), 1u);
    EXPECT_NE(factory.visibleWindows()[0]->serial(), incomingSerial);
    EXPECT_EQ(&slot->steadyWindow(), outgoing);
    EXPECT_EQ(outgoing->presentationAlpha(), 1.0);
    EXPECT_TRUE(outgoing->isVisible());
    advance(0.2);
    EXPECT_NEAR(outgoing->presentationAlpha(), 0.5, 1e-6);
    advance(0.2);
    EXPECT_FALSE(outgoing->isVisible());
    EXPECT_EQ(slot->overlayCount(), 1);
    EXPECT_TRUE(factory.visibleWindows().empty());
}

TEST_F(ScreenOverlaySlotTest, PresentationDuringAFadeOutKeepsTheWindow) {
    slot->setPresentation(focused(1, 11));
    advance(2.0);
    slot->clear(1.0);
    advance(0.5);
    slot->setPresentation(focused(2, 22));
    advance(3.0);
    EXPECT_EQ(slot->state(), State::showing);
    EXPECT_TRUE(slot->steadyWindow().isVisible());
    EXPECT_EQ(slot->steadyWindow().presentationAlpha(), 1.0);
    EXPECT_EQ(factory.createdCount(), 1u) << "an idle slot reuses its window";
}

TEST_F(ScreenOverlaySlotTest, LookChangesReachShownWindowsOnly) {
    slot->update(lookWithDuration(1.0, 0.9));
    EXPECT_EQ(slot->steadyWindow().paintState().tintColor.alpha, 0.0) << "idle: untouched";
    crossfadeAtoB();
    slot->update(lookWithDuration(1.0, 0.2));
    EXPECT_TRUE(slot->incomingWindow()->contentView().dimLayer().animation("dimColor"));
    // During a cross-fade the outgoing window is still the steady one and follows the look.
    EXPECT_TRUE(slot->outgoingWindow()->contentView().dimLayer().animation("dimColor"));
    advance(2.0);
    EXPECT_EQ(slot->steadyWindow().paintState().tintColor.alpha, 0.2);
}

TEST_F(ScreenOverlaySlotTest, TearDownOrdersEveryWindowOutAndLaterCompletionsDoNothing) {
    crossfadeAtoB();
    slot->setPresentation(focused(3, 33));
    slot->tearDown();
    EXPECT_EQ(slot->state(), State::idle);
    EXPECT_TRUE(factory.visibleWindows().empty());
    advance(3.0);
    EXPECT_TRUE(factory.visibleWindows().empty());
    EXPECT_EQ(slot->state(), State::idle);
}

TEST_F(ScreenOverlaySlotTest, CompletionsOfADroppedSlotDoNothing) {
    crossfadeAtoB();
    slot.reset();
    advance(3.0);
    EXPECT_TRUE(factory.liveWindows().empty());
}

TEST_F(ScreenOverlaySlotTest, WindowLeftOnAnotherWorkspaceIsOrderedOutBeforeItReturns) {
    for (const bool fadingOut : {false, true}) {
        SCOPED_TRACE(fadingOut ? "fading out" : "shown");
        slot = ScreenOverlaySlot::make(ScreenGeometry{1, kScreen}, lookWithDuration(1.0), queue,
                                       factory);
        factory.setCurrentSpace(0);
        slot->setPresentation(focused(1, 11));
        advance(2.0);
        if (fadingOut) {
            slot->clear(1.0);
            advance(0.5);
        }
        factory.setCurrentSpace(1);
        EXPECT_FALSE(slot->isOnActiveSpace());
        const auto outs = portOf(slot->steadyWindow()).orderOutCount();
        slot->setPresentation(focused(fadingOut ? 2 : 1, 12));
        EXPECT_EQ(portOf(slot->steadyWindow()).orderOutCount(), outs + 1);
        EXPECT_TRUE(slot->isOnActiveSpace());
        if (fadingOut) {
            EXPECT_EQ(slot->steadyWindow().presentationAlpha(), 0.0) << "fades in again from 0";
        }
    }
}

struct OverlayManagerTest : ::testing::Test {
    VirtualMainQueue queue;
    FakeOverlayWindowFactory factory;
    OverlayManager manager{queue, factory};
    std::vector<ScreenGeometry> screens{
        {1, {0, 0, 1000, 800}}, {2, {1000, 0, 1000, 800}}, {3, {2000, 0, 800, 600}}};

    OverlayPresentationDecision decision(std::map<DisplayID, ScreenOverlayPresentation> p,
                                         double clear = 1.0) {
        return OverlayPresentationDecision{std::move(p), clear};
    }
};

TEST_F(OverlayManagerTest, EmptyDecisionWithoutSlotsCreatesNothing) {
    manager.apply(decision({}), screens);
    EXPECT_TRUE(manager.slots().empty());
    EXPECT_EQ(factory.createdCount(), 0u);
    EXPECT_EQ(manager.overlayCount(), 0);
}

TEST_F(OverlayManagerTest, OnePresentationMakesASlotPerDisplayAndClearsTheOthers) {
    manager.apply(decision({{2, focused(1, 11)}, {9, focused(1, 12)}}), screens);
    ASSERT_EQ(manager.slots().size(), 3u);
    EXPECT_EQ(manager.slots().at(2)->state(), State::showing);
    EXPECT_EQ(manager.slots().at(1)->state(), State::idle);
    EXPECT_EQ(manager.overlayCount(), 3) << "idle slots still hold their hidden window";
    EXPECT_EQ(factory.visibleWindows().size(), 1u);
}

TEST_F(OverlayManagerTest, MovedDisplayGetsAFreshSlotAndAnUnchangedOneKeepsItsWindows) {
    manager.apply(decision({{1, focused(1, 11)}, {2, focused(2, 21)}}), screens);
    queue.advance(Seconds{2.0});
    OverlayWindow* first = &manager.slots().at(1)->steadyWindow();
    OverlayWindow* second = &manager.slots().at(2)->steadyWindow();
    screens[1].frame = Rect{1000, 0, 1280, 800};
    manager.apply(decision({{1, focused(1, 11)}, {2, focused(2, 21)}}), screens);
    EXPECT_EQ(&manager.slots().at(1)->steadyWindow(), first);
    EXPECT_NE(&manager.slots().at(2)->steadyWindow(), second);
    EXPECT_EQ(manager.slots().at(2)->steadyWindow().presentationAlpha(), 0.0) << "fades in anew";
    EXPECT_EQ(factory.visibleWindows().size(), 2u);
}

TEST_F(OverlayManagerTest, RemovedDisplayDuringAFadeLeavesNoWindow) {
    manager.apply(decision({{1, focused(1, 11)}, {2, focused(2, 21)}}), screens);
    queue.advance(Seconds{2.0});
    manager.apply(decision({{1, focused(1, 11)}, {2, focused(3, 31)}}), screens);
    queue.advance(Seconds{0.3});
    screens.erase(screens.begin() + 1);
    manager.apply(decision({{1, focused(1, 11)}}), screens);
    EXPECT_EQ(manager.slots().count(2), 0u);
    EXPECT_EQ(factory.visibleWindows().size(), 1u);
    queue.advance(Seconds{3.0});
    EXPECT_EQ(factory.visibleWindows().size(), 1u);
}

TEST_F(OverlayManagerTest, LaterDisplayWithTheSameIdTakesIt) {
    std::vector<ScreenGeometry> twins{{1, {0, 0, 1000, 800}}, {1, {1000, 0, 500, 500}}};
    manager.apply(decision({{1, focused(1, 11)}}), twins);
    ASSERT_EQ(manager.slots().size(), 1u);
    EXPECT_EQ(manager.slots().at(1)->screen().frame, (Rect{1000, 0, 500, 500}));
}

TEST_F(OverlayManagerTest, SpaceChangeDropsSlotsWhoseWindowsAreElsewhere) {
    manager.apply(decision({{1, focused(1, 11)}, {2, focused(2, 21)}}), screens);
    queue.advance(Seconds{2.0});
    factory.setCurrentSpace(1);
    manager.discardInactiveSpaceSlots();
    // The shown slots are gone at once; idle slot 3 (window not ordered in) stays.
    EXPECT_EQ(manager.slots().size(), 1u);
    EXPECT_EQ(manager.slots().count(3), 1u);
    EXPECT_TRUE(factory.visibleWindows().empty());
}

TEST_F(OverlayManagerTest, CrossFadeWithItsIncomingWindowOnTheActiveSpaceStays) {
    manager.apply(decision({{1, focused(1, 11)}}), screens);
    queue.advance(Seconds{2.0});
    factory.setCurrentSpace(1);
    // The incoming window is ordered in on the new workspace, the outgoing one is elsewhere.
    manager.apply(decision({{1, focused(2, 21)}}), screens);
    ASSERT_EQ(manager.slots().at(1)->state(), State::crossfading);
    manager.discardInactiveSpaceSlots();
    EXPECT_EQ(manager.slots().count(1), 1u);
}

TEST_F(OverlayManagerTest, UpdateReachesSlotsAndNewSlotsTakeTheStoredLook) {
    manager.apply(decision({{1, focused(1, 11)}}), screens);
    manager.update(lookWithDuration(0.25, 0.8));
    queue.advance(Seconds{1.0});
    EXPECT_EQ(manager.slots().at(1)->steadyWindow().paintState().tintColor.alpha, 0.8);
    manager.apply(decision({{1, focused(1, 11)}, {2, focused(2, 21)}}), screens);
    queue.advance(Seconds{1.0});
    EXPECT_EQ(manager.slots().at(2)->steadyWindow().paintState().tintColor.alpha, 0.8);
}

TEST_F(OverlayManagerTest, TearDownOrdersAllOutAndForgetsSlots) {
    manager.apply(decision({{1, focused(1, 11)}, {2, focused(2, 21)}}), screens);
    queue.advance(Seconds{2.0});
    manager.apply(decision({{1, focused(3, 31)}, {2, focused(2, 21)}}), screens);
    EXPECT_EQ(manager.overlayCount(), 4);
    manager.tearDown();
    EXPECT_EQ(manager.overlayCount(), 0);
    EXPECT_TRUE(factory.visibleWindows().empty());
    queue.advance(Seconds{3.0});
    EXPECT_TRUE(factory.liveWindows().empty());
}

} // namespace
} // namespace tavrilux
