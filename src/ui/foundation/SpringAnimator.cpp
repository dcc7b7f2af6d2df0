#include "ui/foundation/SpringAnimator.h"

#include <QVariantAnimation>

#include <cmath>

namespace tavrilux::ui {

namespace {
bool& enabledFlag() {
    static bool enabled = true;
    return enabled;
}
} // namespace

SpringAnimator::SpringAnimator(qreal initial, QObject* parent)
    : QObject(parent), animation_(new QVariantAnimation(this)), to_(initial), value_(initial) {
    animation_->setStartValue(0.0);
    animation_->setEndValue(1.0);
    connect(animation_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& progress) { step(progress.toReal()); });
    connect(animation_, &QVariantAnimation::finished, this, [this] { jumpTo(to_); });
}

bool SpringAnimator::isRunning() const {
    return animation_->state() == QAbstractAnimation::Running;
}

void SpringAnimator::setAnimationsEnabled(bool enabled) {
    enabledFlag() = enabled;
}

bool SpringAnimator::animationsEnabled() {
    return enabledFlag();
}

void SpringAnimator::animateTo(qreal target, const Spring& spring) {
    if (!animationsEnabled()) {
        jumpTo(target);
        return;
    }
    if (target == to_ && (isRunning() || value_ == target)) {
        return;
    }
    animation_->stop();
    from_ = value_;
    to_ = target;
    spring_ = spring;
    duration_ = springSettlingTime(spring);
    animation_->setDuration(std::max(1, static_cast<int>(std::lround(duration_ * 1000))));
    animation_->start();
}

void SpringAnimator::jumpTo(qreal value) {
    animation_->stop();
    from_ = to_ = value;
    if (value_ != value) {
        value_ = value;
        emit valueChanged(value_);
    }
    emit settled();
}

void SpringAnimator::step(qreal progress) {
    if (!isRunning()) {
        return;
    }
    value_ = from_ + (to_ - from_) * springProgress(spring_, progress * duration_);
    emit valueChanged(value_);
}

} // namespace tavrilux::ui
