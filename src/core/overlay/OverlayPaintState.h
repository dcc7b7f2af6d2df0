#pragma once

#include "core/geometry/Rect.h"
#include "core/overlay/MaskLayers.h"
#include "core/theme/Rgba.h"

#include <variant>

namespace tavrilux {

// Everything a renderer needs to draw one overlay window at one instant: the presentation values
// of its layers, bottom to top, and the mask over all of them. Rectangles are in the view's own
// coordinates (origin at its bottom-left corner, y up).
struct OverlayPaintState final {
    struct NoMask {
        friend bool operator==(const NoMask&, const NoMask&) = default;
    };
    using Mask = std::variant<NoMask, GradientLayer, ShapeMaskLayer>;

    double windowAlpha = 0.0;
    Rect bounds;

    // Backdrop blur: with the compositor's blur, a radius over `blurFrame`; otherwise a frosted
    // fill over `blurFrame` whose alpha is `fallbackAlpha`.
    bool usesBackdrop = false;
    bool blurVisible = false;
    double blurRadius = 0.0;
    double fallbackAlpha = 0.0;
    Rect blurFrame;

    double grainOpacity = 0.0;
    double borderOpacity = 0.0;
    Rgba tintColor = Rgba::clear();
    Mask mask;

    // The content only, without the window alpha: what needs a repaint when it changes.
    bool sameContent(const OverlayPaintState& other) const {
        return bounds == other.bounds && usesBackdrop == other.usesBackdrop &&
               blurVisible == other.blurVisible && blurRadius == other.blurRadius &&
               fallbackAlpha == other.fallbackAlpha && blurFrame == other.blurFrame &&
               grainOpacity == other.grainOpacity && borderOpacity == other.borderOpacity &&
               tintColor == other.tintColor && mask == other.mask;
    }

    friend bool operator==(const OverlayPaintState&, const OverlayPaintState&) = default;
};

} // namespace tavrilux
