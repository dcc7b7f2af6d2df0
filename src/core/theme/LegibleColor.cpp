#include "core/theme/LegibleColor.h"

#include <algorithm>
#include <cmath>

namespace tavrilux {

namespace {

double linear(double channel) {
    const double c = std::clamp(channel, 0.0, 1.0);
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

double LegibleColor::relativeLuminance(const Rgba& colour) {
    return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) +
           0.0722 * linear(colour.blue);
}

double LegibleColor::contrast(const Rgba& a, const Rgba& b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgba LegibleColor::on(const Rgba& background, const Rgba& preferred) {
    if (contrast(preferred, background) >= kMinimumContrast) {
        return preferred;
    }
    const Rgba white = Rgba::white();
    const Rgba black = Rgba::gray(0.0);
    return contrast(white, background) >= contrast(black, background) ? white : black;
}

} // namespace tavrilux
