#include "ui/components/SliderSteps.h"

#include "core/localization/LocalizationManager.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace tavrilux::ui {

bool SliderSteps::isUsable() const {
    return std::isfinite(lower) && std::isfinite(upper) && upper > lower && count > 0;
}

double SliderSteps::step() const {
    return (upper - lower) / count;
}

double SliderSteps::fraction(double value) const {
    if (!isUsable() || std::isnan(value)) {
        return 0;
    }
    return std::clamp((value - lower) / (upper - lower), 0.0, 1.0);
}

double SliderSteps::valueAt(double fraction) const {
    if (!isUsable()) {
        return lower;
    }
    const double clamped = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    const long index = std::lround(clamped * count);
    if (index >= count) {
        return upper;
    }
    // (upper - lower) * index / count keeps tenths such as 0.3 exact where a sum of steps
    // would drift
    return lower + (upper - lower) * static_cast<double>(index) / count;
}

double SliderSteps::stepFrom(double value, int delta) const {
    if (!isUsable()) {
        return lower;
    }
    const long index = std::lround(fraction(value) * count) + delta;
    return valueAt(static_cast<double>(std::clamp<long>(index, 0, count)) / count);
}

QString percentText(double fraction) {
    const double percent = fraction * 100;
    const std::string format = L(localizationKey("percent_format"));
    if (!std::isfinite(percent)) {
        return QString::fromStdString(withArgument(format, "—"));
    }
    // beyond the 64-bit range the read-out is pinned rather than undefined
    constexpr double limit = 9.2e18;
    const auto whole = static_cast<std::int64_t>(std::round(std::clamp(percent, -limit, limit)));
    return QString::fromStdString(withArgument(format, std::to_string(whole)));
}

} // namespace tavrilux::ui
