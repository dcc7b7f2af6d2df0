#pragma once

#include "core/theme/Rgba.h"

namespace tavrilux {

// Colours that stay legible against what they are drawn on, measured as WCAG 2 defines contrast
// (relative luminance of sRGB). Opacity is not considered: both colours count as opaque.
class LegibleColor final {
public:
    LegibleColor() = delete;

    // What graphics (a symbol, an icon) need against their background.
    static constexpr double kMinimumContrast = 3.0;

    // 0 for black to 1 for white.
    static double relativeLuminance(const Rgba& colour);
    // From 1 (the same luminance) to 21 (black and white); symmetric.
    static double contrast(const Rgba& a, const Rgba& b);
    // `preferred` where it reaches kMinimumContrast against `background`; otherwise white or
    // black, whichever stands out more (one of them always reaches it).
    static Rgba on(const Rgba& background, const Rgba& preferred);
};

} // namespace tavrilux
