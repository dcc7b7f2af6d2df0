#pragma once

#include "core/animation/MediaTimingFunction.h"

namespace tavrilux {

// The three curves every overlay animation uses.
struct AnimationConstants final {
    struct TimingFunction final {
        // Cross-fade fade-in, tint colour, glass effect opacities and blur radius.
        static const MediaTimingFunction& easeOut();
        // Cross-fade fade-out.
        static const MediaTimingFunction& easeIn();
        // First fade-in of an idle display and the fade-out of a cleared one.
        static const MediaTimingFunction& easeInEaseOut();
    };
};

} // namespace tavrilux
