#include "ui/quickpanel/SlidingHighlight.h"

#include <algorithm>

namespace tavrilux::ui {

SlidingHighlight::SlidingHighlight(QObject* parent) : QObject(parent), progress_(1.0) {
    connect(&progress_, &SpringAnimator::valueChanged, this, &SlidingHighlight::changed);
}

void SlidingHighlight::select(int index, std::optional<Spring> spring) {
    if (index == to_) {
        return;
    }
    from_ = to_;
    to_ = index;
    if (spring) {
        progress_.jumpTo(0);
        progress_.animateTo(1, *spring);
    } else {
        progress_.jumpTo(1);
    }
    emit changed();
}

std::optional<SlidingHighlight::Placement>
SlidingHighlight::placement(const std::function<QRectF(int)>& frameOf) const {
    const qreal t = progress_.value();
    const qreal clamped = std::clamp<qreal>(t, 0, 1);
    Placement p{QRectF(), from_, to_, clamped, 1};
    if (to_ != kNone && from_ != kNone && t < 1) {
        const QRectF a = frameOf(from_);
        const QRectF b = frameOf(to_);
        // Overshoot is allowed: the spring swings past the new button and back.
        const auto lerp = [t](qreal x, qreal y) { return x + (y - x) * t; };
        p.rect = QRectF(QPointF(lerp(a.left(), b.left()), lerp(a.top(), b.top())),
                        QPointF(lerp(a.right(), b.right()), lerp(a.bottom(), b.bottom())));
    } else if (to_ != kNone) {
        p.rect = frameOf(to_);
        p.opacity = from_ == kNone ? clamped : 1;
    } else if (from_ != kNone && clamped < 1) {
        p.rect = frameOf(from_);
        p.opacity = 1 - clamped;
    } else {
        return std::nullopt;
    }
    return p;
}

} // namespace tavrilux::ui
