#pragma once

#include "ui/foundation/Spring.h"
#include "ui/foundation/SpringAnimator.h"

#include <QObject>
#include <QRectF>

class QAbstractButton;
class QPainter;

namespace tavrilux::ui {

// The press feedback of the selector buttons: while the button is down its drawing shrinks to
// 0.93 about its centre, and springs back on release. Attached to one button, which it repaints
// as the scale moves; whoever draws on the button's behalf listens to `changed`.
class BouncyButtonStyle final : public QObject {
    Q_OBJECT
public:
    static constexpr qreal kPressedScale = 0.93;
    static constexpr Spring kSpring{0.22, 0.6};

    explicit BouncyButtonStyle(QAbstractButton* button);

    qreal scale() const { return scale_.value(); }
    // `frame` shrunk about its centre by the current scale.
    QRectF scaled(const QRectF& frame) const;
    // Scales the painter about the centre of `bounds`.
    void apply(QPainter& painter, const QRectF& bounds) const;

signals:
    void changed();

private:
    SpringAnimator scale_;
};

} // namespace tavrilux::ui
