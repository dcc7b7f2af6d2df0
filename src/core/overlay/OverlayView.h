#pragma once

#include "core/animation/AnimationHost.h"
#include "core/animation/Layer.h"
#include "core/animation/MediaTimingFunction.h"
#include "core/geometry/Rect.h"
#include "core/overlay/BackdropBlurView.h"
#include "core/overlay/GrainView.h"
#include "core/overlay/MaskLayers.h"
#include "core/overlay/OverlayEffect.h"
#include "core/overlay/OverlayPaintState.h"
#include "core/settings/Enums.h"

#include <memory>
#include <optional>
#include <vector>

namespace tavrilux {

// The content of an overlay window: bottom to top a backdrop blur, a grain texture, a thin glass
// border and the tint; a mask on the view shapes all four for the ambient and aura modes. The
// focused window is never cut out: it stays bright because it lies above the overlay.
// Coordinates are the view's own, origin at its bottom-left corner.
class OverlayView final {
public:
    static constexpr const char* kOpacity = "opacity";
    static constexpr const char* kBackgroundColor = "backgroundColor";
    static constexpr double kBorderWidth = 1.4;
    static constexpr Rgba kBorderColor{1.0, 1.0, 1.0, 0.55};
    static constexpr double kShadowOpacity = 0.22;
    static constexpr double kShadowRadius = 10.0;

    enum class InstalledMask { none, ambient, aura };

    OverlayView(std::shared_ptr<AnimationHost> host, double width, double height,
                bool backdropAvailable);
    OverlayView(const OverlayView&) = delete;
    OverlayView& operator=(const OverlayView&) = delete;

    // The focused window's rectangle in view coordinates; none keeps the previous one. The glass
    // always covers the whole view: the rectangle only shapes the aura.
    void setGlassFrame(std::optional<Rect> windowRect, bool animated, Seconds duration);
    void setGlassEffect(const OverlayEffect& effect, bool animated, Seconds duration,
                        const MediaTimingFunction& timingFunction, Seconds blurDelay);
    void layout();

    const Rect& bounds() const { return bounds_; }
    BackdropBlurView& backdropBlur() { return backdropBlur_; }
    const BackdropBlurView& backdropBlur() const { return backdropBlur_; }
    GrainView& grainView() { return grainView_; }
    const GrainView& grainView() const { return grainView_; }
    Layer& glassBorderLayer() { return glassBorderLayer_; }
    const Layer& glassBorderLayer() const { return glassBorderLayer_; }
    Layer& dimLayer() { return dimLayer_; }
    const Layer& dimLayer() const { return dimLayer_; }
    const GradientLayer& ambientMaskLayer() const { return ambientMaskLayer_; }
    const std::optional<ShapeMaskLayer>& auraMaskLayer() const { return auraMaskLayer_; }
    InstalledMask installedMask() const { return installedMask_; }
    const std::optional<Rect>& lastWindowRect() const { return lastWindowRect_; }
    double currentAuraIntensity() const { return currentAuraIntensity_; }
    EffectMode currentEffectMode() const { return currentEffectMode_; }
    const Rect& borderShadowPath() const { return borderShadowPath_; }

    // The presentation values now, with the given window alpha.
    OverlayPaintState paintState(double windowAlpha) const;
    bool hasAnimations() const;

    static std::vector<Rgba> ambientColors();

private:
    void setup();
    void updateAuraMask();
    void applyLayerOpacity(Layer& layer, double value, const char* key, bool animated,
                           Seconds duration, const MediaTimingFunction& timingFunction);

    std::shared_ptr<AnimationHost> host_;
    Rect bounds_;
    BackdropBlurView backdropBlur_;
    GrainView grainView_;
    Layer glassBorderLayer_;
    Layer dimLayer_;
    GradientLayer ambientMaskLayer_;
    std::optional<ShapeMaskLayer> auraMaskLayer_;
    std::optional<Rect> currentGlassFrame_;
    std::optional<Rect> lastWindowRect_;
    double currentAuraIntensity_ = 0.0;
    EffectMode currentEffectMode_ = EffectMode::fullscreen;

    InstalledMask installedMask_ = InstalledMask::none;
    Rect grainFrame_;
    Rect glassBorderFrame_;
    Rect borderShadowPath_;
};

} // namespace tavrilux
