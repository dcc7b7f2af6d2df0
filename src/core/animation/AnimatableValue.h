#pragma once

#include "core/theme/Rgba.h"

#include <variant>

namespace tavrilux {

// What a layer property animates between.
using AnimatableValue = std::variant<double, Rgba>;

// The value at `progress` (0 gives from, 1 gives to). Values of different kinds do not blend:
// the target is taken as it is.
AnimatableValue interpolate(const AnimatableValue& from, const AnimatableValue& to,
                            double progress);

} // namespace tavrilux
