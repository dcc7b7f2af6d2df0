#pragma once

#include "core/focus/Identifiers.h"
#include "core/geometry/Rect.h"
#include "core/overlay/OverlayPaintState.h"

#include <memory>

namespace tavrilux {

enum class WindowOrderingMode { above, below };

// What a platform window draws from: the overlay's presentation values at the current time.
class OverlayPaintSource {
public:
    virtual ~OverlayPaintSource() = default;
    virtual OverlayPaintState paintState() const = 0;
    // True while any value still changes over time; the renderer draws frames until it is false.
    virtual bool isAnimating() const = 0;

protected:
    OverlayPaintSource() = default;
};

// The platform's half of one overlay window: a borderless window covering one display that
// takes no input and no focus and never shows in a task bar.
//
// Contract:
// - order() maps the window (when it is not) and places it directly above or below the
//   desktop's top-level window that holds the window with that number; a number the desktop
//   does not know leaves the window where it was, mapped.
// - orderOut() unmaps it; ordering it in again is always possible.
// - isOnActiveSpace() is false only for a mapped window that was ordered in while another
//   workspace was current.
// - setNeedsDisplay() says the source's values changed: the window draws them now and keeps
//   drawing frames while the source is animating, and stops when it is not.
// - Main thread only.
class OverlayWindowPort {
public:
    OverlayWindowPort() = default;
    virtual ~OverlayWindowPort() = default;
    OverlayWindowPort(const OverlayWindowPort&) = delete;
    OverlayWindowPort& operator=(const OverlayWindowPort&) = delete;

    virtual void order(WindowOrderingMode mode, WindowNumber relativeTo) = 0;
    virtual void orderOut() = 0;
    virtual bool isVisible() const = 0;
    virtual bool isOnActiveSpace() const = 0;
    virtual void setNeedsDisplay() = 0;
};

// Makes the platform windows of overlays.
//
// Contract:
// - makeWindow() returns a new window covering `frame` (global bottom-left coordinates), not
//   ordered in, drawing from `source`, which outlives the window.
// - isBackdropAvailable() tells whether the desktop blurs what lies behind a window on request.
class OverlayWindowFactory {
public:
    OverlayWindowFactory() = default;
    virtual ~OverlayWindowFactory() = default;
    OverlayWindowFactory(const OverlayWindowFactory&) = delete;
    OverlayWindowFactory& operator=(const OverlayWindowFactory&) = delete;

    virtual std::unique_ptr<OverlayWindowPort> makeWindow(const Rect& frame,
                                                          const OverlayPaintSource& source) = 0;
    virtual bool isBackdropAvailable() const = 0;
};

} // namespace tavrilux
