#include "ui/foundation/Presence.h"

#include <QPainter>

#include <algorithm>

namespace tavrilux::ui {

Presence::Presence(bool present, QObject* parent)
    : QObject(parent), present_(present), animator_(present ? 1.0 : 0.0) {
    connect(&animator_, &SpringAnimator::valueChanged, this, &Presence::changed);
}

qreal Presence::opacity() const {
    return std::clamp<qreal>(animator_.value(), 0, 1);
}

void Presence::setPresent(bool present, const Spring& spring) {
    if (present == present_) {
        return;
    }
    present_ = present;
    animator_.animateTo(present ? 1.0 : 0.0, spring);
    emit changed();
}

void Presence::jumpTo(bool present) {
    present_ = present;
    animator_.jumpTo(present ? 1.0 : 0.0);
    emit changed();
}

void Presence::apply(QPainter& painter, const QRectF& bounds, qreal fromScale) const {
    const qreal scale = fromScale + (1 - fromScale) * animator_.value();
    painter.translate(bounds.center());
    painter.scale(scale, scale);
    painter.translate(-bounds.center());
    painter.setOpacity(painter.opacity() * opacity());
}

} // namespace tavrilux::ui
