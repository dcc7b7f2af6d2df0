#pragma once

#include "core/settings/Enums.h"
#include "core/settings/OverlayColor.h"

namespace tavrilux {

// x <= lo gives lo, else x > hi gives hi, else x. Both comparisons are ordered, so NaN passes
// through unchanged.
constexpr double clampToRange(double x, double lo, double hi) {
    if (x <= lo) {
        return lo;
    }
    if (x > hi) {
        return hi;
    }
    return x;
}

// The tint layer's alpha for an intensity: the 0...1 clamp.
constexpr double overlayAlpha(double intensity) {
    return clampToRange(intensity, 0.0, 1.0);
}

// One immutable snapshot of the dimming look. The only constructor clamps every number.
class DimmingConfiguration final {
public:
    static constexpr double defaultAppearanceDuration = 1.0;
    static constexpr double appearanceDurationMin = 0.25;
    static constexpr double appearanceDurationMax = 2.0;

    // A closed range of doubles; the speed slider uses the appearance duration's bounds.
    struct Range final {
        double lower;
        double upper;
    };
    static constexpr Range appearanceDurationRange{appearanceDurationMin, appearanceDurationMax};

    static constexpr double clampIntensity(double x) { return clampToRange(x, 0.0, 1.0); }

    constexpr DimmingConfiguration(bool enabled, double blur, double tint, OverlayColor color,
                                   double grain, EffectMode mode, double fadeStart, double duration,
                                   double aura)
        : isEnabled(enabled), blurIntensity(clampIntensity(blur)),
          tintIntensity(clampIntensity(tint)), overlayColor(color),
          grainIntensity(clampIntensity(grain)), effectMode(mode),
          ambientFadeStart(clampIntensity(fadeStart)),
          appearanceDuration(clampToRange(duration, appearanceDurationMin, appearanceDurationMax)),
          auraIntensity(clampIntensity(aura)) {}

    bool isEnabled;
    double blurIntensity;
    double tintIntensity;
    OverlayColor overlayColor;
    double grainIntensity;
    EffectMode effectMode;
    double ambientFadeStart;
    double appearanceDuration; // seconds
    double auraIntensity;

    friend bool operator==(const DimmingConfiguration&, const DimmingConfiguration&) = default;
};

} // namespace tavrilux
