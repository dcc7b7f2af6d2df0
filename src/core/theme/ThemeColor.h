#pragma once

#include "core/theme/Rgba.h"

#include <string_view>

namespace tavrilux {

// A colour with a light and a dark variant, chosen each time it is drawn from the appearance the
// drawing happens in.
struct ThemeColor final {
    static constexpr std::string_view kDarkAppearance = "dark";
    static constexpr std::string_view kLightAppearance = "light";

    Rgba light;
    Rgba dark;

    // The dark appearance gets the dark variant; every other name, unknown or empty ones
    // included, gets the light one.
    constexpr const Rgba& resolve(std::string_view appearanceName) const {
        return appearanceName == kDarkAppearance ? dark : light;
    }

    friend bool operator==(const ThemeColor&, const ThemeColor&) = default;
};

} // namespace tavrilux
