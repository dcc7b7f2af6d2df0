#include "core/animation/MediaTimingFunction.h"

#include <cmath>

namespace tavrilux {
namespace {

// One coordinate of the Bézier with end points 0 and 1 at parameter s.
double bezier(double s, double p1, double p2) {
    const double inv = 1.0 - s;
    return 3.0 * inv * inv * s * p1 + 3.0 * inv * s * s * p2 + s * s * s;
}

double bezierSlope(double s, double p1, double p2) {
    const double inv = 1.0 - s;
    return 3.0 * inv * inv * p1 + 6.0 * inv * s * (p2 - p1) + 3.0 * s * s * (1.0 - p2);
}

} // namespace

double MediaTimingFunction::valueAt(double fraction) const {
    if (!(fraction > 0.0)) {
        return 0.0;
    }
    if (fraction >= 1.0) {
        return 1.0;
    }
    // x(s) is monotonic for control points in 0...1: Newton steps, then bisection if they stall.
    double s = fraction;
    for (int i = 0; i < 8; ++i) {
        const double error = bezier(s, c1x_, c2x_) - fraction;
        if (std::fabs(error) < 1e-9) {
            return bezier(s, c1y_, c2y_);
        }
        const double slope = bezierSlope(s, c1x_, c2x_);
        if (std::fabs(slope) < 1e-9) {
            break;
        }
        s -= error / slope;
    }
    double lo = 0.0;
    double hi = 1.0;
    s = fraction;
    for (int i = 0; i < 60; ++i) {
        const double x = bezier(s, c1x_, c2x_);
        if (std::fabs(x - fraction) < 1e-12) {
            break;
        }
        if (x < fraction) {
            lo = s;
        } else {
            hi = s;
        }
        s = (lo + hi) / 2.0;
    }
    return bezier(s, c1y_, c2y_);
}

} // namespace tavrilux
