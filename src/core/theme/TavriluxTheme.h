#pragma once

#include "core/settings/OverlayColor.h"
#include "core/theme/GlassColorSwatch.h"
#include "core/theme/Rgba.h"
#include "core/theme/ThemeColor.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace tavrilux {

// The design system's colours: named interface colours and the glass palette of overlay tints.
// Only statics; never instantiated.
class TavriluxTheme final {
public:
    TavriluxTheme() = delete;

    static constexpr std::size_t kGlassColorSwatchCount = 36;

    // 9 families of 4 shades (400, 500, 600, 700), families in palette order.
    static const std::array<GlassColorSwatch, kGlassColorSwatchCount>& glassColorSwatches();

    // The colour of the first swatch with exactly this family and shade; black when the palette
    // has no such pair.
    static OverlayColor glassColor(std::string_view family, int shade);

    // Fixed colours.
    static constexpr Rgba accent{10.0 / 255.0, 132.0 / 255.0, 255.0 / 255.0, 1.0};
    static constexpr Rgba success{0.2, 0.78, 0.35, 1.0};
    static constexpr Rgba danger{1.0, 0.27, 0.23, 1.0};
    static constexpr Rgba focusAccent{0.1, 0.52, 1.0, 1.0};
    static constexpr Rgba flowAccent{0.42, 0.78, 0.45, 1.0};
    static constexpr Rgba eveningAccent{1.0, 0.58, 0.2, 1.0};
    static constexpr Rgba customAccent{0.1, 0.52, 1.0, 1.0};
    static constexpr Rgba fullscreenAccent{0.1, 0.52, 1.0, 1.0};
    static constexpr Rgba ambientAccent{0.36, 0.68, 0.62, 1.0};
    static constexpr Rgba auraAccent{0.82, 0.53, 1.0, 1.0};

    // Colours that follow the light or dark appearance.
    static constexpr ThemeColor background{{0.94, 0.95, 0.97, 1.0}, {0.07, 0.07, 0.1, 1.0}};
    static constexpr ThemeColor primaryText{{0.1, 0.11, 0.14, 1.0}, Rgba::gray(1.0)};
    static constexpr ThemeColor secondaryText{{0.38, 0.4, 0.46, 1.0}, Rgba::gray(1.0, 0.55)};
    static constexpr ThemeColor divider{Rgba::gray(0.0, 0.1), Rgba::gray(1.0, 0.1)};
    static constexpr ThemeColor surface{Rgba::gray(0.0, 0.06), Rgba::gray(1.0, 0.11)};
    static constexpr ThemeColor surfaceBorder{Rgba::gray(0.0, 0.16), Rgba::gray(1.0, 0.15)};
};

} // namespace tavrilux
