#include "core/overlay/OverlayView.h"

#include "core/settings/DimmingConfiguration.h"

#include <algorithm>

namespace tavrilux {
namespace {

std::optional<Rect> intersection(const Rect& a, const Rect& b) {
    const double x0 = std::max(a.minX(), b.minX());
    const double y0 = std::max(a.minY(), b.minY());
    const double x1 = std::min(a.maxX(), b.maxX());
    const double y1 = std::min(a.maxY(), b.maxY());
    if (x1 < x0 || y1 < y0) {
        return std::nullopt;
    }
    return Rect{x0, y0, x1 - x0, y1 - y0};
}

Rect grownBy(const Rect& r, double d) {
    return Rect{r.x - d, r.y - d, r.width + 2.0 * d, r.height + 2.0 * d};
}

} // namespace

OverlayView::OverlayView(std::shared_ptr<AnimationHost> host, double width, double height,
                         bool backdropAvailable)
    : host_(host), bounds_{0.0, 0.0, width, height}, backdropBlur_(host, backdropAvailable),
      grainView_(host), glassBorderLayer_(host), dimLayer_(host) {
    setup();
}

std::vector<Rgba> OverlayView::ambientColors() {
    return {Rgba::white(), Rgba::white(), Rgba::clear()};
}

void OverlayView::setup() {
    glassBorderLayer_.setValue(kOpacity, 0.0);
    glassBorderFrame_ = bounds_;
    borderShadowPath_ = glassBorderFrame_;
    backdropBlur_.setFrame(bounds_);
    grainView_.layer().setValue(kOpacity, 0.0);
    grainFrame_ = bounds_;
    dimLayer_.setValue(kBackgroundColor, Rgba::clear());
    ambientMaskLayer_.frame = bounds_;
    ambientMaskLayer_.startPoint = {0.5, 0.0};
    ambientMaskLayer_.endPoint = {0.5, 1.0};
    ambientMaskLayer_.locations = {0.0, 0.5, 1.0};
    ambientMaskLayer_.colors = ambientColors();
    setGlassFrame(std::nullopt, false, Seconds{0.0});
}

void OverlayView::layout() {
    borderShadowPath_ = Rect{0.0, 0.0, glassBorderFrame_.width, glassBorderFrame_.height};
}

void OverlayView::setGlassFrame(std::optional<Rect> windowRect, bool /*animated*/,
                                Seconds /*duration*/) {
    if (windowRect) {
        lastWindowRect_ = windowRect;
    }
    if (!currentGlassFrame_ || *currentGlassFrame_ != bounds_) {
        currentGlassFrame_ = bounds_;
        // The glass subviews always take the view's bounds, which never change for an overlay
        // window; an animated move would end where this one does.
        backdropBlur_.setFrame(bounds_);
        glassBorderFrame_ = bounds_;
        grainFrame_ = bounds_;
        borderShadowPath_ = Rect{0.0, 0.0, glassBorderFrame_.width, glassBorderFrame_.height};
        host_->markChanged();
    }
    // In aura mode the halo follows the focused window at every intensity, the smallest too;
    // otherwise a zero intensity would leave the halo where the first window was.
    if (currentAuraIntensity_ > 0.0 || currentEffectMode_ == EffectMode::aura) {
        updateAuraMask();
    }
}

void OverlayView::applyLayerOpacity(Layer& layer, double value, const char* key, bool animated,
                                    Seconds duration, const MediaTimingFunction& timingFunction) {
    const auto from = layer.presentationValue(kOpacity);
    layer.removeAnimation(key);
    if (animated && duration.count() > 0.0) {
        BasicAnimation a;
        a.keyPath = kOpacity;
        a.fromValue = from;
        a.toValue = value;
        a.duration = duration;
        a.timingFunction = timingFunction;
        a.fillMode = FillMode::forwards;
        layer.addAnimation(std::move(a), key);
    }
    layer.setValue(kOpacity, value);
}

void OverlayView::setGlassEffect(const OverlayEffect& effect, bool animated, Seconds duration,
                                 const MediaTimingFunction& timingFunction, Seconds blurDelay) {
    const double blur = clampToRange(effect.blurIntensity, 0.0, 1.0);
    backdropBlur_.setBlurIntensity(blur, animated, duration, timingFunction, blurDelay);

    // Single precision, as the layer's opacity is.
    const double borderOpacity =
        blur > 0.0 ? static_cast<double>(static_cast<float>(blur * 0.32 + 0.18)) : 0.0;
    applyLayerOpacity(glassBorderLayer_, borderOpacity, "glassBorderOpacity", animated, duration,
                      timingFunction);

    double grainOpacity = 0.0;
    if (blur > 0.0 && effect.grainIntensity > 0.0) {
        grainOpacity =
            static_cast<double>(static_cast<float>(std::min(effect.grainIntensity, 1.0) * 0.15));
    }
    applyLayerOpacity(grainView_.layer(), grainOpacity, "grainOpacity", animated, duration,
                      timingFunction);

    currentAuraIntensity_ = effect.auraIntensity;
    currentEffectMode_ = effect.effectMode;

    switch (effect.effectMode) {
    case EffectMode::ambient: {
        auraMaskLayer_.reset();
        const double s = clampToRange(effect.ambientFadeStart, 0.0, 0.5);
        ambientMaskLayer_.locations = {0.0, s, 1.0};
        ambientMaskLayer_.colors = ambientColors();
        installedMask_ = InstalledMask::ambient;
        backdropBlur_.setFrame(bounds_);
        break;
    }
    case EffectMode::fullscreen:
        auraMaskLayer_.reset();
        installedMask_ = InstalledMask::none;
        backdropBlur_.setFrame(bounds_);
        break;
    case EffectMode::aura:
        updateAuraMask();
        break;
    }
    host_->markChanged();
}

void OverlayView::updateAuraMask() {
    const double size = currentAuraIntensity_ <= 0.0
                            ? 30.0
                            : std::min(currentAuraIntensity_, 1.0) * 0.8 * 330.0 + 30.0;
    if (!lastWindowRect_) {
        auraMaskLayer_.reset();
        if (currentEffectMode_ == EffectMode::aura) {
            installedMask_ = InstalledMask::none;
            backdropBlur_.setFrame(bounds_);
        }
        host_->markChanged();
        return;
    }
    if (!auraMaskLayer_) {
        auraMaskLayer_.emplace();
    }
    auraMaskLayer_->sublayers.clear();
    auraMaskLayer_->gaussianBlurRadius.reset();
    auraMaskLayer_->frame = bounds_;

    const Rect halo = grownBy(*lastWindowRect_, size / 2.0);
    const double radius = std::min(std::min(halo.width, halo.height) * 0.5, size * 0.6);
    ShapeLayer shape;
    shape.frame = bounds_;
    shape.pathRect = halo;
    shape.cornerRadius = radius;
    shape.fillColor = Rgba::white();
    shape.backgroundColor = Rgba::clear();
    auraMaskLayer_->sublayers.push_back(shape);

    const double blurRadius = size * 0.3;
    auraMaskLayer_->gaussianBlurRadius = blurRadius;

    if (currentEffectMode_ == EffectMode::aura) {
        installedMask_ = InstalledMask::aura;
        auto clipped = intersection(grownBy(halo, 3.0 * blurRadius), bounds_);
        backdropBlur_.setFrame(clipped && !clipped->isEmpty() ? *clipped : bounds_);
    }
    host_->markChanged();
}

OverlayPaintState OverlayView::paintState(double windowAlpha) const {
    OverlayPaintState state;
    state.windowAlpha = windowAlpha;
    state.bounds = bounds_;
    if (const Layer* backdrop = backdropBlur_.backdropLayer()) {
        state.usesBackdrop = true;
        state.blurVisible = !backdrop->isHidden();
        state.blurRadius = backdrop->presentationDouble(BackdropBlurView::kRadiusKeyPath);
    } else if (const Layer* fallback = backdropBlur_.fallbackEffectView()) {
        state.blurVisible = !fallback->isHidden();
        state.fallbackAlpha = fallback->presentationDouble(BackdropBlurView::kAlphaKeyPath);
    }
    state.blurFrame = backdropBlur_.frame();
    state.grainOpacity = grainView_.layer().presentationDouble(kOpacity);
    state.borderOpacity = glassBorderLayer_.presentationDouble(kOpacity);
    state.tintColor = dimLayer_.presentationColor(kBackgroundColor);
    switch (installedMask_) {
    case InstalledMask::none:
        state.mask = OverlayPaintState::NoMask{};
        break;
    case InstalledMask::ambient:
        state.mask = ambientMaskLayer_;
        break;
    case InstalledMask::aura:
        if (auraMaskLayer_) {
            state.mask = *auraMaskLayer_;
        }
        break;
    }
    return state;
}

bool OverlayView::hasAnimations() const {
    const Layer* blur = backdropBlur_.backdropLayer() ? backdropBlur_.backdropLayer()
                                                      : backdropBlur_.fallbackEffectView();
    return (blur && blur->hasAnimations()) || grainView_.layer().hasAnimations() ||
           glassBorderLayer_.hasAnimations() || dimLayer_.hasAnimations();
}

} // namespace tavrilux
