#include "ui/onboarding/MotionClock.h"

namespace tavrilux::ui {

MotionClock::MotionClock(QObject* parent) : QObject(parent), timer_(this) {
    timer_.setInterval(kFrameInterval);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &MotionClock::ticked);
}

void MotionClock::setRunning(bool running) {
    if (running == isRunning()) {
        return;
    }
    if (running) {
        sinceStart_.start();
        timer_.start();
    } else {
        banked_ += static_cast<double>(sinceStart_.nsecsElapsed()) / 1e9;
        timer_.stop();
    }
}

double MotionClock::seconds() const {
    return banked_ + (isRunning() ? static_cast<double>(sinceStart_.nsecsElapsed()) / 1e9 : 0.0);
}

} // namespace tavrilux::ui
