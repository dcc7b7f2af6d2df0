#pragma once

#include "core/animation/AnimationHost.h"
#include "core/animation/Layer.h"
#include "core/animation/MediaTimingFunction.h"
#include "core/async/MainQueue.h"
#include "core/focus/Identifiers.h"
#include "core/geometry/Rect.h"
#include "core/overlay/OverlayView.h"
#include "core/overlay/OverlayWindowPort.h"
#include "core/settings/DimmingConfiguration.h"

#include <functional>
#include <memory>
#include <optional>

namespace tavrilux {

// The click-through overlay of one display: ordered just below the focused application's
// back-most window (or above a given window when the whole display is dimmed), it shows its
// OverlayView at the window alpha. Fades are animations of the alpha; their completions run as
// main-queue tasks, never inside the call that started them.
class OverlayWindow final : public OverlayPaintSource,
                            public std::enable_shared_from_this<OverlayWindow> {
public:
    static constexpr const char* kAlphaKeyPath = "alphaValue";

    // A new window covering `screenFrame`, not ordered in.
    static std::shared_ptr<OverlayWindow> make(const Rect& screenFrame, MainQueue& queue,
                                               OverlayWindowFactory& factory);
    ~OverlayWindow() override;

    void apply(const DimmingConfiguration& configuration, bool animated);
    void updatePlacement(WindowNumber relativeTo, WindowOrderingMode order,
                         std::optional<Rect> windowFrame);
    void animateAlpha(double alpha, Seconds duration, const MediaTimingFunction& timingFunction,
                      std::function<void()> completion);
    void hide(Seconds duration, const MediaTimingFunction& timingFunction,
              bool orderOutWhenFinished, std::function<void()> completion);

    void order(WindowOrderingMode mode, WindowNumber relativeTo);
    void orderOut();
    bool isVisible() const;
    bool isOnActiveSpace() const;

    // The model alpha (where a running fade ends); setting it stops a running fade.
    double alphaValue() const;
    void setAlphaValue(double alpha);
    double presentationAlpha() const;
    // The alpha and its running fade, if any.
    const Layer& alphaLayer() const { return alphaLayer_; }

    const Rect& frame() const { return frame_; }
    // From global bottom-left coordinates to the window's own.
    Rect convertFromScreen(const Rect& rect) const;

    OverlayView& contentView() { return *view_; }
    const OverlayView& contentView() const { return *view_; }
    OverlayWindowPort& port() { return *port_; }
    const OverlayWindowPort& port() const { return *port_; }

    OverlayPaintState paintState() const override;
    bool isAnimating() const override;

private:
    OverlayWindow(const Rect& screenFrame, MainQueue& queue, bool backdropAvailable);

    Rect frame_;
    std::shared_ptr<AnimationHost> host_;
    Layer alphaLayer_;
    std::unique_ptr<OverlayView> view_;
    std::unique_ptr<OverlayWindowPort> port_;
};

} // namespace tavrilux
