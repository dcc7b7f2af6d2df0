#pragma once

#include "core/settings/Enums.h"

namespace tavrilux {

// The glass part of the look, as the overlay view takes it.
struct OverlayEffect final {
    double blurIntensity = 0.0;
    double grainIntensity = 0.0;
    EffectMode effectMode = EffectMode::fullscreen;
    double ambientFadeStart = 0.5;
    double auraIntensity = 0.0;

    friend bool operator==(const OverlayEffect&, const OverlayEffect&) = default;
};

} // namespace tavrilux
