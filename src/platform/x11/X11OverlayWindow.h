#pragma once

#include "core/async/MainQueue.h"
#include "core/async/TaskHandle.h"
#include "core/overlay/OverlayWindowPort.h"
#include "platform/x11/X11OverlaySurface.h"
#include "platform/x11/X11RootStacking.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tavrilux::x11 {

class X11OverlayWindowFactory;

// One overlay on an X server, drawn into a surface of the factory's (a new X window or a kept
// one) and placed against the top-level window that holds its anchor.
//
// Placed below a window, it lies below the windows of that window's application stacked without
// a break under it, as the stacking stands when the request goes out: a window manager that
// raises one of them after the engine looked leaves them all bright. Whenever the stacking
// changes so that it lies elsewhere, it is put back (a few times within a short span at most).
class X11OverlayWindow final : public OverlayWindowPort {
public:
    X11OverlayWindow(X11OverlayWindowFactory& factory, const OverlayPaintSource& source,
                     std::unique_ptr<X11OverlaySurface> surface);
    ~X11OverlayWindow() override;

    void order(WindowOrderingMode mode, WindowNumber relativeTo) override;
    void orderOut() override;
    bool isVisible() const override { return wanted_; }
    // Our overlays belong to no workspace; one is on the active one while the window it is
    // placed against still shows (a window manager unmaps the windows of other workspaces).
    bool isOnActiveSpace() const override;
    void setNeedsDisplay() override;

    // The compositor came or went: show what should show, or hide everything.
    void compositorChanged(bool present);
    // The window manager has put our (managed) window on screen: now it can restack it.
    void managedWindowShown();
    // The stacking changed: put the window back where it belongs if it lies elsewhere. A window
    // manager that keeps moving it gets a few tries within a short time, then none until the
    // engine orders the window again: no endless exchange. A managed window is judged only once
    // KWin is done with our last request, and a try that changed nothing is not repeated.
    void keepInPlace();
    // Someone else destroyed the X window.
    void surfaceDestroyed() { surface_->destroyed = true; }
    // A synthetic ConfigureNotify on this window. KWin answers a restack request with one, and
    // then restacks (if anything changes) and lists the new order. `sequence` (its low 16 bits)
    // is the last request of ours the server had handled when it was made: earlier ones come
    // from other work of KWin's.
    void configureSent(std::uint16_t sequence);
    // KWin listed its new order: the result of our request once it has answered it (a window
    // manager that never answers is taken at its first new order).
    void stackingListed(std::uint16_t sequence);

    // The child of the root that holds this window: itself, or the window manager's frame.
    xcb_window_t topLevel();
    xcb_window_t cachedTopLevel() const;
    xcb_window_t id() const { return surface_->window; }

private:
    enum class Waiting { no, forAnswer, forResult };
    struct Placement {
        WindowOrderingMode mode;
        WindowNumber relativeTo;
    };

    void applyPlacement();
    // Still wanted, with a compositor to show it and a window to show.
    bool shouldShow() const;
    // The top-level window to lie directly against now.
    xcb_window_t targetFrame() const;
    bool isInPlace(xcb_window_t target);
    // One of our own windows, or one that does not meet this overlay's display.
    bool showsNothingHere(const X11RootStacking::Child& child) const;
    // Directly below (or above) `target`: our own window is restacked by us; a managed one is
    // restacked by the window manager on request, once it has taken the window on.
    void restack(xcb_window_t target);
    void unmap();
    bool madeAfterRequest(std::uint16_t sequence) const;
    // Without an answer or a result in time, what shows is taken as the result (KWin answers
    // and changes nothing when the window already lies where it puts it).
    void waitFor(Waiting waiting, Seconds timeout);
    void stopWaiting();
    void scheduleFrame();
    void frame();
    void draw(const OverlayPaintState& state);
    void paintContent(const OverlayPaintState& state);

    X11OverlayWindowFactory& factory_;
    const OverlayPaintSource& source_;
    std::unique_ptr<X11OverlaySurface> surface_;
    bool wanted_ = false;
    bool mapped_ = false;
    bool painted_ = false;
    bool dirty_ = false;
    // Managed windows: the window manager has mapped it (restacking waits for that).
    bool managedMapped_ = false;
    // Managed windows: a restack request is on its way to the window manager, or its result.
    Waiting waiting_ = Waiting::no;
    unsigned int requestSequence_ = 0;
    TaskHandle waitTask_;
    bool frameScheduled_ = false;
    TaskHandle frameTask_;
    std::optional<Placement> placement_;
    xcb_window_t anchorClient_ = 0;
    // The top-level window last placed against; 0 until the window was placed at least once
    // (an unmapped window keeps its place).
    xcb_window_t anchorFrame_ = 0;
    xcb_window_t topLevel_ = 0;
    // Our own window: the last restack sent, until an event shows the server has handled it.
    // Until then the stacking read is from before it, and judging it would count one move away
    // as several.
    std::optional<unsigned int> restackSent_;
    // When the window was put back in place lately, and whether it pauses until the oldest of
    // those leaves the span (then it looks once more).
    std::vector<Seconds> corrections_;
    bool paused_ = false;
    TaskHandle resumeTask_;
    // The stacking (its generation) the last correction was made for.
    std::optional<std::uint64_t> triedAt_;
    double lastAlpha_ = -1.0;
    OverlayPaintState lastState_;
};

} // namespace tavrilux::x11
