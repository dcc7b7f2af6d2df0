#pragma once

#include "core/settings/OverlayColor.h"

#include <string>

namespace tavrilux {

// One tint of the glass palette the user picks the overlay colour from.
struct GlassColorSwatch final {
    std::string family; // display name of the colour family, e.g. "Blue"
    int shade = 0;      // 400, 500, 600 or 700
    OverlayColor color;

    // "Blue-400": unique within the palette.
    std::string id() const { return family + "-" + std::to_string(shade); }

    friend bool operator==(const GlassColorSwatch&, const GlassColorSwatch&) = default;
};

} // namespace tavrilux
