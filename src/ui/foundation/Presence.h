#pragma once

#include "ui/foundation/Spring.h"
#include "ui/foundation/SpringAnimator.h"

#include <QObject>

class QPainter;
class QRectF;

namespace tavrilux::ui {

// Whether something is inserted or removed, as a value from 0 (gone) to 1 (fully there) that a
// widget paints as scale and opacity. Something being removed stays drawable until the value
// reaches 0. Main thread only.
class Presence final : public QObject {
    Q_OBJECT
public:
    explicit Presence(bool present, QObject* parent = nullptr);

    bool isPresent() const { return present_; }
    // Still to be drawn: present, or on its way out.
    bool isVisible() const { return present_ || animator_.value() > 0.001; }
    qreal value() const { return animator_.value(); }
    qreal opacity() const;

    void setPresent(bool present, const Spring& spring = Spring{0.35, 1.0});
    // The same without motion (for what is not on screen yet).
    void jumpTo(bool present);

    // Applies the value to a painter: scale from `fromScale` (at 0) to 1 about the centre of
    // `bounds`, and the opacity.
    void apply(QPainter& painter, const QRectF& bounds, qreal fromScale) const;

signals:
    void changed();

private:
    bool present_;
    SpringAnimator animator_;
};

} // namespace tavrilux::ui
