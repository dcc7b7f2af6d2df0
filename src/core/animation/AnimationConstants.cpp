#include "core/animation/AnimationConstants.h"

namespace tavrilux {

const MediaTimingFunction& AnimationConstants::TimingFunction::easeOut() {
    static const MediaTimingFunction curve = MediaTimingFunction::easeOut();
    return curve;
}

const MediaTimingFunction& AnimationConstants::TimingFunction::easeIn() {
    static const MediaTimingFunction curve = MediaTimingFunction::easeIn();
    return curve;
}

const MediaTimingFunction& AnimationConstants::TimingFunction::easeInEaseOut() {
    static const MediaTimingFunction curve = MediaTimingFunction::easeInEaseOut();
    return curve;
}

} // namespace tavrilux
