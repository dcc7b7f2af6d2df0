#include "core/theme/TavriluxTheme.h"

#include <algorithm>

namespace tavrilux {

namespace {

// Every component of the palette is an integer over 255.
GlassColorSwatch swatch(const char* family, int shade, int red, int green, int blue) {
    return GlassColorSwatch{family, shade, OverlayColor{red / 255.0, green / 255.0, blue / 255.0}};
}

} // namespace

const std::array<GlassColorSwatch, TavriluxTheme::kGlassColorSwatchCount>&
TavriluxTheme::glassColorSwatches() {
    static const std::array<GlassColorSwatch, kGlassColorSwatchCount> swatches{
        swatch("Red", 400, 248, 113, 113),
        swatch("Red", 500, 239, 68, 68),
        swatch("Red", 600, 220, 38, 38),
        swatch("Red", 700, 185, 28, 28),
        swatch("Orange", 400, 251, 146, 60),
        swatch("Orange", 500, 249, 115, 22),
        swatch("Orange", 600, 234, 88, 12),
        swatch("Orange", 700, 194, 65, 12),
        swatch("Lime", 400, 163, 230, 53),
        swatch("Lime", 500, 132, 204, 22),
        swatch("Lime", 600, 101, 163, 13),
        swatch("Lime", 700, 77, 124, 15),
        swatch("Emerald", 400, 52, 211, 153),
        swatch("Emerald", 500, 16, 185, 129),
        swatch("Emerald", 600, 5, 150, 105),
        swatch("Emerald", 700, 4, 120, 87),
        swatch("Cyan", 400, 34, 211, 238),
        swatch("Cyan", 500, 6, 182, 212),
        swatch("Cyan", 600, 8, 145, 178),
        swatch("Cyan", 700, 14, 116, 144),
        swatch("Blue", 400, 96, 165, 250),
        swatch("Blue", 500, 59, 130, 246),
        swatch("Blue", 600, 37, 99, 235),
        swatch("Blue", 700, 29, 78, 216),
        swatch("Fuchsia", 400, 232, 121, 249),
        swatch("Fuchsia", 500, 217, 70, 239),
        swatch("Fuchsia", 600, 192, 38, 211),
        swatch("Fuchsia", 700, 162, 28, 175),
        swatch("Slate", 400, 148, 163, 184),
        swatch("Slate", 500, 100, 116, 139),
        swatch("Slate", 600, 71, 85, 105),
        swatch("Slate", 700, 51, 65, 85),
        // Neutral starts at pure white, not a mid grey.
        swatch("Neutral", 400, 255, 255, 255),
        swatch("Neutral", 500, 82, 82, 82),
        swatch("Neutral", 600, 38, 38, 38),
        swatch("Neutral", 700, 23, 23, 23),
    };
    return swatches;
}

OverlayColor TavriluxTheme::glassColor(std::string_view family, int shade) {
    const auto& swatches = glassColorSwatches();
    const auto it = std::find_if(swatches.begin(), swatches.end(), [&](const auto& s) {
        return s.family == family && s.shade == shade;
    });
    return it != swatches.end() ? it->color : OverlayColor::black;
}

} // namespace tavrilux
