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
using Curves = AnimationConstants::TimingFunction;

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

OrderCall below(WindowNumber number) {
    return OrderCall{WindowOrderingMode::below, number};
}

// The windows of a cross-fade exist only while one runs.
const FakeOverlayWindowPort& portOf(const OverlayWindow* window) {
    if (window == nullptr) {
        throw std::logic_error("no such overlay window");
    }
    return dynamic_cast<const FakeOverlayWindowPort&>(window->port());
}
// Where a window lies now; none while it is ordered out.
std::optional<OrderCall> placed(const OverlayWindow* window) {
    return portOf(window).placement();
}
std::optional<OrderCall> placed(const OverlayWindow& window) {
    return placed(&window);
}

struct ScreenOverlaySlotTest : ::testing::Test {
    VirtualMainQueue queue;
    FakeOverlayWindowFactory factory;
    std::shared_ptr<ScreenOverlaySlot> slot =
        ScreenOverlaySlot::make(ScreenGeometry{1, kScreen}, lookWithDuration(1.0), queue, factory);

    void advance(double seconds) { queue.advance(Seconds{seconds}); }
    double alpha() const { return slot->steadyWindow().presentationAlpha(); }
    // Shows A (pid 1) fully, then starts the cross-fade to B (pid 2).
    void crossfadeAtoB() {
        slot->setPresentation(focused(1, 11));
        advance(2.0);
        slot->setPresentation(focused(2, 22));
    }
};

TEST_F(ScreenOverlaySlotTest, FadesInBelowTheAnchorAndFollowsTheApplicationWithoutAFade) {
    EXPECT_EQ(slot->state(), State::idle);
    EXPECT_FALSE(slot->steadyWindow().isVisible()) << "not ordered in at creation";
    slot->setPresentation(focused(1, 11));
    EXPECT_EQ(slot->state(), State::showing);
    EXPECT_EQ(placed(slot->steadyWindow()), below(11));
    EXPECT_EQ(alpha(), 0.0);
    advance(0.5);
    EXPECT_NEAR(alpha(), 0.5, 1e-6) << "ease in-out midpoint";
    advance(0.5);
    EXPECT_EQ(alpha(), 1.0);
    EXPECT_EQ(slot->steadyWindow().contentView().lastWindowRect(), (Rect{100, 100, 300, 200}));
    EXPECT_EQ(slot->steadyWindow().paintState().tintColor.alpha, 0.5) << "look applied";

    slot->setPresentation(focused(1, 12, Rect{0, 0, 500, 500}));
    EXPECT_EQ(slot->state(), State::showing);
    EXPECT_EQ(factory.createdCount(), 1u);
    EXPECT_EQ(placed(slot->steadyWindow()), below(12));
    EXPECT_FALSE(slot->steadyWindow().isAnimating());
    EXPECT_EQ(alpha(), 1.0);
    EXPECT_EQ(slot->steadyWindow().contentView().lastWindowRect(), (Rect{0, 0, 500, 500}));
}

TEST_F(ScreenOverlaySlotTest, OtherApplicationCrossFadesToAFreshWindow) {
    crossfadeAtoB();
    ASSERT_EQ(slot->state(), State::crossfading);
    EXPECT_EQ(slot->overlayCount(), 2);
    OverlayWindow* incoming = slot->incomingWindow();
    EXPECT_EQ(placed(incoming), below(22));
    EXPECT_EQ(placed(slot->outgoingWindow()), below(11));
    advance(0.25);
    EXPECT_NEAR(incoming->presentationAlpha(), Curves::easeOut().valueAt(0.25), 1e-9);
    EXPECT_NEAR(slot->outgoingWindow()->presentationAlpha(), 1 - Curves::easeIn().valueAt(0.25),
                1e-9);
    advance(0.75);
    EXPECT_EQ(slot->state(), State::showing);
    EXPECT_EQ(&slot->steadyWindow(), incoming);
    EXPECT_EQ(slot->overlayCount(), 1);
    EXPECT_EQ(factory.visibleWindows().size(), 1u);
    EXPECT_EQ(slot->currentPresentation(), focused(2, 22));

    // Dimming a whole display is another kind of presentation: it cross-fades too.
    slot->setPresentation(ScreenOverlayPresentation::dimAll(5));
    EXPECT_EQ(slot->state(), State::crossfading);
    EXPECT_EQ(placed(slot->incomingWindow()), (OrderCall{WindowOrderingMode::above, 5}));
    advance(1.0);
    slot->setPresentation(ScreenOverlayPresentation::dimAll(6));
    EXPECT_EQ(slot->state(), State::showing);
}

TEST_F(ScreenOverlaySlotTest, SecondChangeIsQueuedAndHurriesTheCrossFadeFromThePresentAlphas) {
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
    advance(0.09);        // half of the hurried 0.18 s
    ASSERT_EQ(slot->state(), State::crossfadingWithPending);
    EXPECT_NEAR(incoming->presentationAlpha(), in0 + (1.0 - in0) * Curves::easeOut().valueAt(0.5),
                1e-9);
    EXPECT_NEAR(outgoing->presentationAlpha(), out0 * (1.0 - Curves::easeIn().valueAt(0.5)), 1e-9);
    advance(0.08);
    EXPECT_EQ(slot->state(), State::crossfadingWithPending);
    advance(0.011);
    // The hurried fade ended: B is steady, and C's own cross-fade starts.
    EXPECT_EQ(slot->state(), State::crossfading);
    EXPECT_EQ(slot->outgoingWindow(), incoming);
    EXPECT_EQ(slot->transitionPresentation(), focused(3, 33));
    EXPECT_EQ(factory.visibleWindows().size(), 2u);
    advance(1.0);
    EXPECT_EQ(slot->currentPresentation(), focused(3, 33));
    EXPECT_EQ(factory.createdCount(), 3u);
    EXPECT_EQ(factory.visibleWindows().size(), 1u);
}

TEST_F(ScreenOverlaySlotTest, QueuedChangeOfTheIncomingFamilyIsAPlainMove) {
    crossfadeAtoB();
    slot->setPresentation(focused(3, 33));
    slot->setPresentation(focused(2, 23)); // back to B's family: C is dropped
    EXPECT_EQ(slot->state(), State::crossfading);
    EXPECT_EQ(placed(slot->incomingWindow()), below(23));
    advance(0.2);
    EXPECT_EQ(slot->state(), State::showing);
    EXPECT_EQ(slot->currentPresentation(), focused(2, 23));
    EXPECT_EQ(factory.createdCount(), 2u);

    // While a whole-display dim fades in: a change of its family drops the queued one, another
    // family's change replaces it, and the one queued last follows the hurried fade.
    slot->setPresentation(ScreenOverlayPresentation::dimAll(7));
    slot->setPresentation(focused(4, 44));
    slot->setPresentation(ScreenOverlayPresentation::dimAll(9));
    EXPECT_EQ(slot->pendingPresentation(), std::nullopt);
    EXPECT_EQ(placed(slot->incomingWindow()), (OrderCall{WindowOrderingMode::above, 9}));
    slot->setPresentation(focused(5, 55));
    slot->setPresentation(focused(6, 66));
    EXPECT_EQ(slot->pendingPresentation(), focused(6, 66));
    advance(0.2);
    EXPECT_EQ(slot->state(), State::crossfading);
    EXPECT_EQ(slot->transitionPresentation(), focused(6, 66));
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
    EXPECT_EQ(alpha(), 1.0);
    advance(0.2);
    EXPECT_NEAR(alpha(), 0.5, 1e-6);
    advance(0.2);
    EXPECT_FALSE(outgoing->isVisible());
    EXPECT_EQ(slot->overlayCount(), 1);
    EXPECT_TRUE(factory.visibleWindows().empty());
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
        const auto& port = portOf(&slot->steadyWindow());
        const auto outs = port.orderOutCount();
        slot->setPresentation(focused(fadingOut ? 2 : 1, 12));
        EXPECT_EQ(port.orderOutCount(), outs + 1);
        EXPECT_TRUE(slot->isOnActiveSpace());
        if (fadingOut) {
            EXPECT_EQ(alpha(), 0.0) << "fades in again from 0";
        }
    }
}

struct OverlayManagerTest : ::testing::Test {
    VirtualMainQueue queue;
    FakeOverlayWindowFactory factory;
    OverlayManager manager{queue, factory};
    std::vector<ScreenGeometry> screens{
        {1, {0, 0, 1000, 800}}, {2, {1000, 0, 1000, 800}}, {3, {2000, 0, 800, 600}}};

    void apply(std::map<DisplayID, ScreenOverlayPresentation> p) {
        manager.apply(OverlayPresentationDecision{std::move(p), 1.0}, screens);
    }
    OverlayWindow& steady(DisplayID id) { return manager.slots().at(id)->steadyWindow(); }
};

TEST_F(OverlayManagerTest, SlotsForEveryDisplayOnceOneIsShownAndNoneBefore) {
    apply({});
    EXPECT_TRUE(manager.slots().empty());
    EXPECT_EQ(factory.createdCount(), 0u);
    apply({{2, focused(1, 11)}, {9, focused(1, 12)}});
    ASSERT_EQ(manager.slots().size(), 3u);
    EXPECT_EQ(manager.slots().at(2)->state(), State::showing);
    EXPECT_EQ(manager.slots().at(1)->state(), State::idle);
    EXPECT_EQ(manager.overlayCount(), 3) << "idle slots still hold their hidden window";
    EXPECT_EQ(factory.visibleWindows().size(), 1u);

    // A later display with the same id takes it.
    screens = {{1, {0, 0, 1000, 800}}, {1, {1000, 0, 500, 500}}};
    apply({{1, focused(1, 11)}});
    ASSERT_EQ(manager.slots().size(), 1u);
    EXPECT_EQ(manager.slots().at(1)->screen().frame, (Rect{1000, 0, 500, 500}));
}

TEST_F(OverlayManagerTest, SpaceChangeDropsSlotsWhoseWindowsAreElsewhere) {
    apply({{1, focused(1, 11)}, {2, focused(2, 21)}});
    queue.advance(Seconds{2.0});
    factory.setCurrentSpace(1);
    // A cross-fade whose incoming window is ordered in on the new workspace stays; a window
    // fading out on the old one goes.
    apply({{2, focused(3, 31)}});
    ASSERT_EQ(manager.slots().at(2)->state(), State::crossfading);
    manager.discardInactiveSpaceSlots();
    // Idle slot 3 (window not ordered in) stays.
    EXPECT_EQ(manager.slots().count(1), 0u);
    EXPECT_EQ(manager.slots().count(2), 1u);
    EXPECT_EQ(manager.slots().count(3), 1u);
    EXPECT_EQ(factory.visibleWindows().size(), 2u);
}

} // namespace
} // namespace tavrilux
