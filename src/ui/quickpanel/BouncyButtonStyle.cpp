#include "ui/quickpanel/BouncyButtonStyle.h"

#include <QAbstractButton>
#include <QPainter>

namespace tavrilux::ui {

BouncyButtonStyle::BouncyButtonStyle(QAbstractButton* button) : QObject(button), scale_(1.0) {
    // Dragging out of a held button releases it and dragging back presses it again, with the
    // signals to match.
    connect(button, &QAbstractButton::pressed, this,
            [this] { scale_.animateTo(kPressedScale, kSpring); });
    connect(button, &QAbstractButton::released, this, [this] { scale_.animateTo(1.0, kSpring); });
    connect(&scale_, &SpringAnimator::valueChanged, this, [this, button] {
        button->update();
        emit changed();
    });
}

QRectF BouncyButtonStyle::scaled(const QRectF& frame) const {
    const qreal s = scale();
    const QSizeF size = frame.size() * s;
    return QRectF(frame.center() - QPointF(size.width() / 2, size.height() / 2), size);
}

void BouncyButtonStyle::apply(QPainter& painter, const QRectF& bounds) const {
    const qreal s = scale();
    painter.translate(bounds.center());
    painter.scale(s, s);
    painter.translate(-bounds.center());
}

} // namespace tavrilux::ui
