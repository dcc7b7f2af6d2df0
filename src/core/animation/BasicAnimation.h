#pragma once

#include "core/animation/AnimatableValue.h"
#include "core/animation/MediaTimingFunction.h"
#include "core/async/MainQueue.h"

#include <functional>
#include <optional>
#include <string>

namespace tavrilux {

// What an animation shows outside its active time: `forwards` keeps the end value after it ends
// (until it is removed), `backwards` shows the start value before it begins, `both` does both.
enum class FillMode { removed, forwards, backwards, both };

// An animation of one property of a layer from a start value to an end value.
struct BasicAnimation final {
    std::string keyPath;
    // None: start from the property's presentation value when the animation is added.
    std::optional<AnimatableValue> fromValue;
    AnimatableValue toValue = 0.0;
    Seconds duration{0.25};
    MediaTimingFunction timingFunction = MediaTimingFunction::linear();
    FillMode fillMode = FillMode::removed;
    // Absolute time on the queue's clock; none: the moment the animation is added.
    std::optional<Seconds> beginTime;
    // Runs as a main-queue task when the animation ends (true) or is removed first (false).
    std::function<void(bool finished)> completion;
};

} // namespace tavrilux
