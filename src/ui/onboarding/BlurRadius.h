#pragma once

#include <QtGlobal>

namespace tavrilux::ui {

// The onboarding's blurs and shadows are given as blur radii, which spread as a Gaussian of half
// that standard deviation (the usual reading of a shadow's blur radius); the shadow cache takes
// the standard deviation.
constexpr qreal blurSigma(qreal radius) {
    return radius / 2;
}

} // namespace tavrilux::ui
