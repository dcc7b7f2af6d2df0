#include "ui/onboarding/EntranceClock.h"

#include "core/animation/MediaTimingFunction.h"
#include "ui/foundation/SpringAnimator.h"

#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace tavrilux::ui {

EntranceClock::EntranceClock(double lengthSeconds, QObject* parent)
    : QObject(parent), animation_(new QVariantAnimation(this)), length_(lengthSeconds) {
    animation_->setStartValue(0.0);
    animation_->setEndValue(lengthSeconds);
    animation_->setDuration(static_cast<int>(std::lround(lengthSeconds * 1000)));
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        seconds_ = value.toDouble();
        emit changed();
    });
    connect(animation_, &QVariantAnimation::finished, this, [this] {
        seconds_ = length_;
        emit changed();
    });
}

void EntranceClock::start() {
    if (started_) {
        return;
    }
    started_ = true;
    if (SpringAnimator::animationsEnabled()) {
        animation_->start();
    } else {
        seconds_ = length_;
        emit changed();
    }
}

double EntranceClock::progress(double delay, double duration) const {
    if (!started_) {
        return 0;
    }
    return std::clamp((seconds_ - delay) / duration, 0.0, 1.0);
}

double EntranceClock::easeOut(double delay, double duration) const {
    return MediaTimingFunction::easeOut().valueAt(progress(delay, duration));
}

} // namespace tavrilux::ui
