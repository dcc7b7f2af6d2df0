#include "core/animation/AnimatableValue.h"

namespace tavrilux {
namespace {

double lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

} // namespace

AnimatableValue interpolate(const AnimatableValue& from, const AnimatableValue& to,
                            double progress) {
    if (const auto* a = std::get_if<double>(&from)) {
        if (const auto* b = std::get_if<double>(&to)) {
            return lerp(*a, *b, progress);
        }
    }
    if (const auto* a = std::get_if<Rgba>(&from)) {
        if (const auto* b = std::get_if<Rgba>(&to)) {
            return Rgba{lerp(a->red, b->red, progress), lerp(a->green, b->green, progress),
                        lerp(a->blue, b->blue, progress), lerp(a->alpha, b->alpha, progress)};
        }
    }
    return to;
}

} // namespace tavrilux
