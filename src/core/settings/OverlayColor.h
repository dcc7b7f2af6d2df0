#pragma once

namespace tavrilux {

// The overlay's tint in sRGB; components are 0...1 by convention but never clamped, and compare
// exactly.
struct OverlayColor final {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;

    friend bool operator==(const OverlayColor&, const OverlayColor&) = default;

    static const OverlayColor black;
    static const OverlayColor sky;
    static const OverlayColor ember;
    static const OverlayColor lavender;
    static const OverlayColor rose;
    static const OverlayColor peach;
    static const OverlayColor lemon;
    static const OverlayColor mint;
    static const OverlayColor sage;
    static const OverlayColor crimson;
    static const OverlayColor magenta;
    static const OverlayColor violet;
    static const OverlayColor azure;
    static const OverlayColor lime;
};

inline constexpr OverlayColor OverlayColor::black{0, 0, 0};
inline constexpr OverlayColor OverlayColor::sky{0.7, 0.85, 1.0};
inline constexpr OverlayColor OverlayColor::ember{0.8, 0.35, 0.01};
inline constexpr OverlayColor OverlayColor::lavender{0.78, 0.71, 0.95};
inline constexpr OverlayColor OverlayColor::rose{0.97, 0.71, 0.82};
inline constexpr OverlayColor OverlayColor::peach{1.0, 0.88, 0.63};
inline constexpr OverlayColor OverlayColor::lemon{0.99, 0.97, 0.68};
inline constexpr OverlayColor OverlayColor::mint{0.69, 0.94, 0.84};
inline constexpr OverlayColor OverlayColor::sage{0.75, 0.9, 0.75};
inline constexpr OverlayColor OverlayColor::crimson{0.95, 0.16, 0.22};
inline constexpr OverlayColor OverlayColor::magenta{0.96, 0.18, 0.62};
inline constexpr OverlayColor OverlayColor::violet{0.56, 0.16, 0.95};
inline constexpr OverlayColor OverlayColor::azure{0, 0.66, 0.96};
inline constexpr OverlayColor OverlayColor::lime{0.42, 0.88, 0.13};

} // namespace tavrilux
