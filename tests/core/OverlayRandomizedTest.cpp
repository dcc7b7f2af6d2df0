#include "core/animation/AnimationConstants.h"
#include "core/defaults/UserDefaults.h"
#include "core/overlay/OverlayCoordinator.h"
#include "core/settings/FocusPresets.h"
#include "fakes/FakeApplicationActivator.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeOverlayWindowFactory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <random>
#include <set>

namespace tavrilux {
namespace {

using fakes::FakeOverlayWindowPort;
using fakes::OrderCall;
using State = ScreenOverlaySlot::State;

const FakeOverlayWindowPort& portOf(const OverlayWindow& window) {
    return dynamic_cast<const FakeOverlayWindowPort&>(window.port());
}

OrderCall placementOf(const ScreenOverlayPresentation& presentation) {
    if (const auto* target = presentation.target()) {
        return OrderCall{WindowOrderingMode::below, target->anchorWindowNumber};
    }
    return OrderCall{WindowOrderingMode::above, *presentation.aboveWindowNumber()};
}

// The fade running on a window's alpha, if any.
const BasicAnimation* fadeOf(const OverlayWindow& window) {
    return window.alphaLayer().animation(OverlayWindow::kAlphaKeyPath);
}

// Drives the whole engine on the fake desktop with random focus, window, display, workspace,
// overview and settings changes, checking the overlay invariants after every step.
class OverlayRandomizedTest : public ::testing::TestWithParam<unsigned> {
protected:
    static constexpr ProcessID kOwn = 10;
    const std::vector<ProcessID> pids{100, 200, 300, 400};
    const std::vector<Rect> secondFrames{
        {1000, 0, 1000, 800}, {1000, 0, 1280, 800}, {-800, 0, 800, 600}};

    OverlayRandomizedTest() : random(GetParam()) {
        desktop.addScreen(1, Rect{0, 0, 1000, 800}, "UUID-ONE");
        desktop.addScreen(2, secondFrames[0], "UUID-TWO");
        for (ProcessID pid : pids) {
            desktop.addProcess(pid, "org.example.app" + std::to_string(pid));
        }
        for (int i = 0; i < 6; ++i) {
            openWindow();
        }
        store->save(*presetConfiguration(FocusMode::focus));
        settings = DimmingSettings::create(store, desktop.workspace, desktop.queue);
        activator.onActivate = [this](const RunningApplication& app) {
            desktop.activate(app.processIdentifier);
        };
        coordinator = OverlayCoordinator::create(
            settings, OverlayCoordinator::Desktop{desktop.queue, desktop.workspace, desktop,
                                                  desktop, desktop, activator, factory, kOwn});
        coordinator->start();
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    std::size_t pickIndex(std::size_t n) {
        return static_cast<std::size_t>(pick(static_cast<int>(n)));
    }
    ProcessID pickPid() { return pids[pickIndex(pids.size())]; }
    double uniform(double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(random);
    }

    void openWindow() {
        const ProcessID pid = pickPid(); // before the frame: arguments have no set order
        windows.push_back(nextWindow++);
        desktop.addWindow(
            windows.back(), pid,
            {uniform(-200, 1900), uniform(0, 700), uniform(50, 900), uniform(50, 700)});
    }

    void randomStep() {
        const int action = pick(16);
        if (action < 4) {
            desktop.activate(pickPid());
        }
        switch (action) {
        case 4:
            // A flood of focus changes, faster than any cross-fade.
            for (int i = 0; i < 3; ++i) {
                desktop.activate(pickPid());
                desktop.queue.advance(Seconds{uniform(0.0, 0.05)});
            }
            break;
        case 5:
            if (!windows.empty()) {
                desktop.raise(windows[pickIndex(windows.size())]);
            }
            break;
        case 6:
            if (windows.size() > 1) {
                const auto i = pickIndex(windows.size());
                desktop.removeWindow(windows[i]);
                windows.erase(windows.begin() + static_cast<std::ptrdiff_t>(i));
            }
            break;
        case 7:
            openWindow();
            break;
        case 8: {
            desktop.clearScreens();
            desktop.addScreen(1, Rect{0, 0, 1000, 800}, "UUID-ONE");
            const int second = pick(4);
            if (second < 3) {
                desktop.addScreen(2, secondFrames[static_cast<std::size_t>(second)], "UUID-TWO");
            }
            desktop.workspace.changeScreens();
            break;
        }
        case 9:
            factory.setCurrentSpace(factory.currentSpace() + 1);
            desktop.workspace.changeSpace();
            break;
        case 10:
            overview = !overview;
            desktop.showOverview(overview);
            break;
        case 11:
            changeSettings();
            break;
        default:
            break;
        }
        // Settings that clear everything do not last long, so that most steps have overlays.
        if (pick(8) == 0) {
            if (!settings->isEnabled.get()) {
                settings->setIsEnabled(true);
            }
            if (!settings->excludedBundleIDs.get().empty()) {
                settings->removeExclusion(*settings->excludedBundleIDs.get().begin());
            }
            if (!settings->excludedDisplayUUIDs.get().empty()) {
                settings->removeDisplayExclusion(*settings->excludedDisplayUUIDs.get().begin());
            }
        }
        desktop.queue.advance(Seconds{pick(3) == 0 ? uniform(0.0, 0.6) : uniform(0.0, 0.05)});
    }

    void changeSettings() {
        switch (pick(8)) {
        case 0:
            settings->setIsEnabled(pick(4) != 0);
            break;
        case 1:
            settings->setTintIntensity(uniform(0, 1));
            break;
        case 2:
            settings->setAppearanceDuration(uniform(0.25, 2.0));
            break;
        case 3:
            settings->setEffectMode(kAllEffectModes[pickIndex(kAllEffectModes.size())]);
            break;
        case 4:
            settings->setMultiScreenFocusMode(
                kAllMultiScreenFocusModes[pickIndex(kAllMultiScreenFocusModes.size())]);
            break;
        case 5:
            settings->toggleExclusion("org.example.app" + std::to_string(pickPid()));
            break;
        case 6:
            settings->toggleDisplayExclusion(pick(2) == 0 ? "UUID-ONE" : "UUID-TWO");
            break;
        default:
            settings->applyMode(kAllFocusModes[pickIndex(kAllFocusModes.size())]);
            break;
        }
    }

    // A running fade of `window` ends at `alpha` with `curve` and at most `within` from now.
    void expectFade(const OverlayWindow& window, double alpha, const MediaTimingFunction& curve,
                    double within, const char* what) {
        ASSERT_EQ(window.alphaValue(), alpha) << what;
        if (const BasicAnimation* fade = fadeOf(window)) {
            ASSERT_EQ(std::get<double>(fade->toValue), alpha) << what;
            ASSERT_EQ(fade->timingFunction, curve) << what;
            const double left = (*fade->beginTime + fade->duration - desktop.queue.now()).count();
            ASSERT_LE(left, within + 1e-9) << what;
        }
    }

    // The glass of a focused-window presentation frames that window.
    static void expectGlass(const OverlayWindow& window,
                            const ScreenOverlayPresentation& presentation) {
        if (const ScreenFocusTarget* target = presentation.target()) {
            ASSERT_EQ(window.contentView().lastWindowRect(),
                      window.convertFromScreen(target->windowFrame));
        }
    }

    void checkInvariants() {
        using Curves = AnimationConstants::TimingFunction;
        std::set<const FakeOverlayWindowPort*> held;
        int crossfadingSlots = 0;
        for (const auto& [id, slot] : coordinator->manager().slots()) {
            SCOPED_TRACE("display " + std::to_string(id));
            crossfades += slot->state() == State::crossfading;
            pendings += slot->state() == State::crossfadingWithPending;
            clears += slot->state() == State::idle && slot->steadyWindow().isVisible();
            const OverlayWindow& steady = slot->steadyWindow();
            crossfadingSlots += slot->incomingWindow() != nullptr;
            const std::array<const OverlayWindow*, 3> ofSlot{&steady, slot->incomingWindow(),
                                                             slot->outgoingWindow()};
            for (const OverlayWindow* w : ofSlot) {
                if (w != nullptr && w->isVisible()) {
                    held.insert(&portOf(*w));
                }
            }
            // No fade lasts longer than the slowest appearance.
            constexpr double kLongest = DimmingConfiguration::appearanceDurationMax;
            switch (slot->state()) {
            case State::showing:
                ASSERT_TRUE(portOf(steady).isVisible()) << "a shown overlay was ordered out";
                ASSERT_EQ(portOf(steady).placement(), placementOf(*slot->currentPresentation()));
                ASSERT_NO_FATAL_FAILURE(expectGlass(steady, *slot->currentPresentation()));
                // Only the first fade-in of an idle display can still run.
                ASSERT_NO_FATAL_FAILURE(
                    expectFade(steady, 1.0, Curves::easeInEaseOut(), kLongest, "fade-in"));
                break;
            case State::crossfading:
            case State::crossfadingWithPending: {
                const OverlayWindow& incoming = *slot->incomingWindow();
                const OverlayWindow& outgoing = *slot->outgoingWindow();
                ASSERT_EQ(&outgoing, &steady) << "the outgoing window is the steady one";
                ASSERT_TRUE(portOf(incoming).isVisible());
                ASSERT_TRUE(portOf(outgoing).isVisible());
                ASSERT_EQ(portOf(incoming).placement(),
                          placementOf(*slot->transitionPresentation()));
                ASSERT_EQ(portOf(outgoing).placement(), placementOf(*slot->currentPresentation()));
                ASSERT_NO_FATAL_FAILURE(expectGlass(incoming, *slot->transitionPresentation()));
                ASSERT_FALSE(
                    slot->transitionPresentation()->isSameFamily(*slot->currentPresentation()))
                    << "a same-family change never cross-fades";
                const bool hurried = slot->state() == State::crossfadingWithPending;
                const double within =
                    hurried ? ScreenOverlaySlot::kHurriedCrossfadeSeconds : kLongest;
                // Both fades run until the cross-fade ends; hurried ones end within 0.18 s.
                ASSERT_NE(fadeOf(incoming), nullptr);
                ASSERT_NE(fadeOf(outgoing), nullptr);
                ASSERT_NO_FATAL_FAILURE(
                    expectFade(incoming, 1.0, Curves::easeOut(), within, "incoming"));
                ASSERT_NO_FATAL_FAILURE(
                    expectFade(outgoing, 0.0, Curves::easeIn(), within, "outgoing"));
                if (hurried) {
                    ASSERT_FALSE(
                        slot->pendingPresentation()->isSameFamily(*slot->transitionPresentation()))
                        << "a queued change of the incoming family is a move, not a wait";
                }
                break;
            }
            case State::idle:
                // A cleared overlay still on screen is fading out, and is ordered out at the end.
                if (steady.isVisible()) {
                    ASSERT_NE(fadeOf(steady), nullptr) << "cleared window left on screen";
                    ASSERT_NO_FATAL_FAILURE(
                        expectFade(steady, 0.0, Curves::easeInEaseOut(), kLongest, "fade-out"));
                }
                break;
            }
            int visible = 0;
            for (const auto* port : factory.visibleWindows()) {
                visible += port->frame() == slot->screen().frame;
            }
            ASSERT_LE(visible, 2) << "at most two overlays per display";
        }
        // Every window on screen belongs to a slot: no stray overlay.
        ASSERT_EQ(held.size(), factory.visibleWindows().size());
        ASSERT_EQ(coordinator->overlayCount(),
                  static_cast<int>(coordinator->manager().slots().size()) + crossfadingSlots);
    }

    // Once nothing changes, every fade has ended: shown overlays are fully in with the look of
    // the settings, cleared ones are gone, and only the displays there are have slots.
    void checkSettled() {
        desktop.queue.advance(Seconds{3.0});
        ASSERT_NO_FATAL_FAILURE(checkInvariants());
        const bool enabled = settings->isEnabled.get();
        ASSERT_EQ(coordinator->isTrackingSystemState(), enabled);
        ASSERT_EQ(coordinator->latestScene().has_value(), enabled);
        ASSERT_FALSE(coordinator->isWaitingForMissionControlReturn());
        const auto& look = settings->configuration();
        for (const auto& [id, slot] : coordinator->manager().slots()) {
            SCOPED_TRACE("settled display " + std::to_string(id));
            const OverlayWindow& steady = slot->steadyWindow();
            ASSERT_NE(slot->state(), State::crossfading);
            ASSERT_EQ(steady.isVisible(), slot->state() == State::showing);
            if (steady.isVisible()) {
                ASSERT_TRUE(enabled && !overview) << "dimming while off or in the overview";
                ASSERT_EQ(steady.presentationAlpha(), 1.0);
                ASSERT_EQ(steady.paintState().tintColor,
                          (Rgba{look.overlayColor.red, look.overlayColor.green,
                                look.overlayColor.blue, look.tintIntensity}));
            }
            if (enabled) { // display changes are not watched while dimming is off
                const auto screens = desktop.screens();
                ASSERT_TRUE(std::any_of(screens.begin(), screens.end(), [&](const Screen& s) {
                    return s.displayNumber == id && s.frame == slot->screen().frame;
                })) << "slot of a display that is gone or moved";
                const auto uuid = desktop.displayUUID(id);
                ASSERT_FALSE(uuid && settings->excludedDisplayUUIDs.get().count(*uuid) &&
                             steady.isVisible())
                    << "an excluded display is dimmed";
            }
        }
    }

    std::mt19937 random;
    fakes::FakeDesktop desktop;
    fakes::FakeOverlayWindowFactory factory;
    fakes::FakeApplicationActivator activator;
    std::shared_ptr<SettingsStore> store = std::make_shared<SettingsStore>(
        std::make_shared<UserDefaults>(std::make_unique<MemoryDomainStorage>()));
    std::shared_ptr<DimmingSettings> settings;
    std::shared_ptr<OverlayCoordinator> coordinator;
    std::vector<WindowNumber> windows;
    WindowNumber nextWindow = 1000;
    bool overview = false;
    int crossfades = 0;
    int pendings = 0;
    int clears = 0;
};

TEST_P(OverlayRandomizedTest, InvariantsHoldAfterEveryStep) {
    for (int step = 0; step < 3000; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        randomStep();
        ASSERT_NO_FATAL_FAILURE(checkInvariants());
        if (step % 100 == 99) {
            ASSERT_NO_FATAL_FAILURE(checkSettled());
        }
    }
    // The run exercised cross-fades, hurried ones and clears, not just a quiet desktop.
    EXPECT_GT(crossfades, 100);
    EXPECT_GT(pendings, 10);
    EXPECT_GT(clears, 100);
    coordinator->tearDown();
    EXPECT_TRUE(factory.visibleWindows().empty());
    for (int step = 0; step < 50; ++step) {
        randomStep();
    }
    EXPECT_TRUE(factory.visibleWindows().empty()) << "nothing returns after tear-down";
    coordinator.reset();
    EXPECT_TRUE(factory.liveWindows().empty());
}

INSTANTIATE_TEST_SUITE_P(Seeds, OverlayRandomizedTest, ::testing::Values(1u, 2u, 3u, 4u, 5u));

} // namespace
} // namespace tavrilux
