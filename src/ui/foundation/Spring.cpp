#include "ui/foundation/Spring.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavrilux::ui {

namespace {
constexpr double kSettledSwing = 1e-3;

struct Params {
    double omega; // undamped angular frequency
    double zeta;  // damping fraction
};

Params params(const Spring& spring) {
    const double response = std::max(spring.response, 1e-3);
    return Params{2 * std::numbers::pi / response, std::max(spring.dampingFraction, 1e-3)};
}

// Distance still to go (1 - progress) for a critically or over-damped spring.
double remainingOverdamped(const Params& p, double t) {
    if (p.zeta == 1.0) {
        return std::exp(-p.omega * t) * (1 + p.omega * t);
    }
    const double root = p.omega * std::sqrt(p.zeta * p.zeta - 1);
    const double r1 = -p.zeta * p.omega + root;
    const double r2 = -p.zeta * p.omega - root;
    return (r2 * std::exp(r1 * t) - r1 * std::exp(r2 * t)) / (r2 - r1);
}
} // namespace

double springProgress(const Spring& spring, double seconds) {
    if (!(seconds > 0)) {
        return 0;
    }
    const Params p = params(spring);
    if (p.zeta >= 1) {
        return 1 - remainingOverdamped(p, seconds);
    }
    const double damped = p.omega * std::sqrt(1 - p.zeta * p.zeta);
    const double envelope = std::exp(-p.zeta * p.omega * seconds);
    return 1 - envelope * (std::cos(damped * seconds) +
                           p.zeta * p.omega / damped * std::sin(damped * seconds));
}

double springSettlingTime(const Spring& spring) {
    const Params p = params(spring);
    if (p.zeta < 1) {
        // the envelope bounds the swing
        return std::log(1 / kSettledSwing) / (p.zeta * p.omega);
    }
    // monotone approach: find where the remaining distance falls below the threshold
    double low = 0, high = 1;
    while (remainingOverdamped(p, high) > kSettledSwing && high < 1e4) {
        high *= 2;
    }
    for (int i = 0; i < 60; ++i) {
        const double mid = (low + high) / 2;
        (remainingOverdamped(p, mid) > kSettledSwing ? low : high) = mid;
    }
    return high;
}

} // namespace tavrilux::ui
