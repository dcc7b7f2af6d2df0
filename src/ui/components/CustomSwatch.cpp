#include "ui/components/CustomSwatch.h"

#include "ui/foundation/Appearance.h"
#include "ui/foundation/Painting.h"
#include "ui/foundation/ShadowCache.h"

#include <QPainter>

#include <algorithm>

namespace tavrilux::ui {

CustomSwatch::CustomSwatch(QWidget* parent)
    : QAbstractButton(parent), presence_(false), ring_(false), emphasis_(0) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::TabFocus);
    setFixedSize(sizeHint());
    hide();
    connect(&ring_, &Presence::changed, this, [this] { update(); });
    connect(&emphasis_, &SpringAnimator::valueChanged, this, [this] { update(); });
    connect(&presence_, &Presence::changed, this, [this] {
        setVisible(presence_.isVisible());
        update();
    });
}

void CustomSwatch::setColour(const OverlayColor& colour) {
    colour_ = colour;
    update();
}

void CustomSwatch::setSelected(bool selected) {
    if (selected == selected_) {
        return;
    }
    selected_ = selected;
    ring_.setPresent(selected, kStateSpring);
    emphasis_.animateTo(selected ? 1 : 0, kStateSpring);
}

void CustomSwatch::setPresent(bool present, const Spring& spring) {
    presence_.setPresent(present, spring);
    setVisible(presence_.isVisible());
}

void CustomSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    QRectF circle(0, 0, kDiameter, kDiameter);
    circle.moveCenter(bounds.center());
    presence_.apply(painter, bounds, 1.0);
    const qreal emphasis = emphasis_.value();
    const qreal scale = 1.0 + 0.1 * emphasis;
    painter.translate(bounds.center());
    painter.scale(scale, scale);
    painter.translate(-bounds.center());
    const int shadowAlpha = std::clamp(static_cast<int>(31 * emphasis), 0, 31);
    if (shadowAlpha > 0) {
        ShadowCache::shared().drawShadow(painter, Shape::circle(), circle,
                                         QColor(0, 0, 0, shadowAlpha), 2, QPointF(0, 1));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(toQColor(Rgba{colour_.red, colour_.green, colour_.blue}));
    painter.drawEllipse(circle);
    painter.setBrush(Qt::NoBrush);
    if (ring_.isVisible()) {
        painter.save();
        const QRectF ringBox = circle.adjusted(1, 1, -1, -1);
        ring_.apply(painter, ringBox, 0.72);
        painter.setPen(QPen(Qt::white, 2.5));
        painter.drawEllipse(strokeRectInside(ringBox, 2.5));
        painter.restore();
    }
    if (!selected_) {
        painter.setPen(QPen(QColor(255, 255, 255, 31), 1));
        painter.drawEllipse(strokeRectInside(circle, 1));
    }
}

} // namespace tavrilux::ui
