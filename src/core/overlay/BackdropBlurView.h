#pragma once

#include "core/animation/AnimationHost.h"
#include "core/animation/Layer.h"
#include "core/animation/MediaTimingFunction.h"
#include "core/geometry/Rect.h"

#include <memory>

namespace tavrilux {

// A live blur of what lies behind the overlay window. Where the compositor blurs behind windows
// the blur is a backdrop layer whose radius animates; elsewhere a frosted fill stands in whose
// alpha is the intensity. Once a fade to zero is over the backdrop is hidden, so an idle overlay
// asks for no blur work.
class BackdropBlurView final {
public:
    static constexpr const char* kRadiusKeyPath = "filters.gaussianBlur.inputRadius";
    static constexpr const char* kAlphaKeyPath = "alphaValue";
    static constexpr double kMaxRadius = 40.0;
    static constexpr double kBackdropScale = 0.2;

    BackdropBlurView(std::shared_ptr<AnimationHost> host, bool backdropAvailable);
    ~BackdropBlurView();
    BackdropBlurView(const BackdropBlurView&) = delete;
    BackdropBlurView& operator=(const BackdropBlurView&) = delete;

    void setBlurIntensity(double intensity, bool animated, Seconds duration,
                          const MediaTimingFunction& timingFunction, Seconds delay);

    // Exactly one of the two exists.
    Layer* backdropLayer() const { return backdropLayer_.get(); }
    Layer* fallbackEffectView() const { return fallbackEffectView_.get(); }

    const Rect& frame() const { return frame_; }
    void setFrame(const Rect& frame);
    bool hasPendingDeactivation() const { return deactivationTask_.isValid(); }

private:
    void setBackdropActive(bool active);
    void scheduleDeactivation(Seconds after);
    void cancelDeactivation();

    std::shared_ptr<AnimationHost> host_;
    std::unique_ptr<Layer> backdropLayer_;
    std::unique_ptr<Layer> fallbackEffectView_;
    TaskHandle deactivationTask_;
    Rect frame_;
};

} // namespace tavrilux
