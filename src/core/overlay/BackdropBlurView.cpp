#include "core/overlay/BackdropBlurView.h"

#include <algorithm>

namespace tavrilux {

BackdropBlurView::BackdropBlurView(std::shared_ptr<AnimationHost> host, bool backdropAvailable)
    : host_(std::move(host)) {
    if (backdropAvailable) {
        backdropLayer_ = std::make_unique<Layer>(host_);
        backdropLayer_->setValue(kRadiusKeyPath, 0.0);
        backdropLayer_->setHidden(true);
    } else {
        fallbackEffectView_ = std::make_unique<Layer>(host_);
        fallbackEffectView_->setValue(kAlphaKeyPath, 0.0);
        fallbackEffectView_->setHidden(true);
    }
}

BackdropBlurView::~BackdropBlurView() {
    cancelDeactivation();
}

void BackdropBlurView::setFrame(const Rect& frame) {
    if (frame_ != frame) {
        frame_ = frame;
        host_->markChanged();
    }
}

void BackdropBlurView::setBackdropActive(bool active) {
    if (backdropLayer_) {
        backdropLayer_->setHidden(!active);
    }
    if (fallbackEffectView_) {
        fallbackEffectView_->setHidden(!active);
    }
}

void BackdropBlurView::cancelDeactivation() {
    deactivationTask_.cancel();
    deactivationTask_.reset();
}

void BackdropBlurView::scheduleDeactivation(Seconds after) {
    cancelDeactivation();
    // The destructor cancels this task, so it never runs for a view that is gone.
    deactivationTask_ = host_->queue().postAfter(after, [this] {
        setBackdropActive(false);
        deactivationTask_.reset();
    });
}

void BackdropBlurView::setBlurIntensity(double intensity, bool animated, Seconds duration,
                                        const MediaTimingFunction& timingFunction, Seconds delay) {
    double i = std::min(intensity, 1.0);
    if (i < 0.0) {
        i = 0.0;
    }
    cancelDeactivation();
    if (i > 0.0) {
        setBackdropActive(true);
    }
    const bool animate = animated && duration.count() > 0.0;
    if (backdropLayer_) {
        const double target = i * kMaxRadius;
        auto from = backdropLayer_->presentationValue(kRadiusKeyPath);
        backdropLayer_->removeAnimation("blurRadius");
        if (animate) {
            BasicAnimation a;
            a.keyPath = kRadiusKeyPath;
            a.fromValue = from;
            a.toValue = target;
            a.duration = duration;
            a.timingFunction = timingFunction;
            if (delay.count() > 0.0) {
                a.fillMode = FillMode::both;
                a.beginTime = host_->now() + delay;
            } else {
                a.fillMode = FillMode::forwards;
            }
            backdropLayer_->addAnimation(std::move(a), "blurRadius");
            backdropLayer_->setValue(kRadiusKeyPath, target);
            if (i == 0.0) {
                scheduleDeactivation(duration + delay);
            }
        } else {
            backdropLayer_->setValue(kRadiusKeyPath, target);
            if (i == 0.0) {
                setBackdropActive(false);
            }
        }
    } else if (fallbackEffectView_) {
        if (animate) {
            BasicAnimation a;
            a.keyPath = kAlphaKeyPath;
            a.toValue = i;
            a.duration = duration;
            a.timingFunction = timingFunction;
            a.fillMode = FillMode::forwards;
            fallbackEffectView_->addAnimation(std::move(a), kAlphaKeyPath);
            fallbackEffectView_->setValue(kAlphaKeyPath, i);
            if (i == 0.0) {
                scheduleDeactivation(duration);
            }
        } else {
            fallbackEffectView_->removeAnimation(kAlphaKeyPath);
            fallbackEffectView_->setValue(kAlphaKeyPath, i);
            if (i == 0.0) {
                setBackdropActive(false);
            }
        }
    }
}

} // namespace tavrilux
