#pragma once

#include "core/async/MainQueue.h"
#include "core/focus/Identifiers.h"
#include "core/focus/ScreenGeometry.h"
#include "core/overlay/OverlayWindow.h"
#include "core/overlay/ScreenOverlayPresentation.h"
#include "core/settings/DimmingConfiguration.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace tavrilux {

// The overlay windows of one display and their fades: fade in when the display starts to be
// dimmed, move without a fade while the same application keeps the focus, cross-fade to a fresh
// window when another application (or the other kind of presentation) takes over, hurry a running
// cross-fade when yet another change arrives, fade out when the display is cleared. Every
// animation completion carries a token; a completion whose token is no longer current does
// nothing. Main thread only.
class ScreenOverlaySlot final : public std::enable_shared_from_this<ScreenOverlaySlot> {
public:
    // Identity of a change; never reused within a process.
    using Token = std::uint64_t;

    enum class State { idle, showing, crossfading, crossfadingWithPending };

    static constexpr double kHurriedCrossfadeSeconds = 0.18;

    static std::shared_ptr<ScreenOverlaySlot> make(const ScreenGeometry& screen,
                                                   const DimmingConfiguration& configuration,
                                                   MainQueue& queue, OverlayWindowFactory& factory);
    ScreenOverlaySlot(const ScreenOverlaySlot&) = delete;
    ScreenOverlaySlot& operator=(const ScreenOverlaySlot&) = delete;

    void setPresentation(const ScreenOverlayPresentation& presentation);
    void clear(double duration);
    void update(const DimmingConfiguration& configuration);
    // Every window ordered out at once; the slot is idle afterwards.
    void tearDown();

    DisplayID screenID() const { return screenID_; }
    const ScreenGeometry& screen() const { return screen_; }
    // The display kept its frame: only the description is replaced.
    void replaceScreen(const ScreenGeometry& screen) { screen_ = screen; }

    // Windows held: 2 during a cross-fade, else 1.
    int overlayCount() const { return transition_ ? 2 : 1; }

    State state() const;
    const std::optional<ScreenOverlayPresentation>& currentPresentation() const {
        return currentPresentation_;
    }
    const std::optional<ScreenOverlayPresentation>& pendingPresentation() const {
        return pendingPresentation_;
    }
    // What the incoming window of the running cross-fade shows; none without one.
    std::optional<ScreenOverlayPresentation> transitionPresentation() const;
    OverlayWindow& steadyWindow() const { return *steady_; }
    OverlayWindow* incomingWindow() const {
        return transition_ ? transition_->incoming.get() : nullptr;
    }
    OverlayWindow* outgoingWindow() const {
        return transition_ ? transition_->outgoing.get() : nullptr;
    }
    bool isOnActiveSpace() const;

private:
    struct Transition {
        Token id;
        ScreenOverlayPresentation presentation;
        std::shared_ptr<OverlayWindow> outgoing;
        std::shared_ptr<OverlayWindow> incoming;
    };

    ScreenOverlaySlot(const ScreenGeometry& screen, const DimmingConfiguration& configuration,
                      MainQueue& queue, OverlayWindowFactory& factory);

    static Token freshToken();
    void show(OverlayWindow& window, const ScreenOverlayPresentation& presentation);
    static void place(OverlayWindow& window, const ScreenOverlayPresentation& presentation);
    void startTransition(const ScreenOverlayPresentation& presentation);
    void accelerate();
    void finishTransition(Token id);
    std::function<void()> finishCallback(Token id);

    DisplayID screenID_;
    ScreenGeometry screen_;
    MainQueue& queue_;
    OverlayWindowFactory& factory_;
    std::shared_ptr<OverlayWindow> steady_;
    std::optional<ScreenOverlayPresentation> currentPresentation_;
    std::optional<Transition> transition_;
    std::optional<ScreenOverlayPresentation> pendingPresentation_;
    DimmingConfiguration configuration_;
    Token hideID_;
};

} // namespace tavrilux
