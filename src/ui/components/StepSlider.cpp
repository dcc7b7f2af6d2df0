#include "ui/components/StepSlider.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/ShadowCache.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr qreal kKnob = 18;
constexpr qreal kTrackHeight = 4;
} // namespace

StepSlider::StepSlider(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(22);
}

void StepSlider::setSteps(const SliderSteps& steps) {
    steps_ = steps;
    setEnabled(steps_.isUsable());
    update();
}

void StepSlider::setValue(double value) {
    value_ = value;
    update();
}

QRectF StepSlider::trackRect() const {
    return QRectF(kKnob / 2, (height() - kTrackHeight) / 2, width() - kKnob, kTrackHeight);
}

void StepSlider::request(double value) {
    if (!isEnabled() || !steps_.isUsable()) {
        return;
    }
    // a step already shown or already asked for in this gesture is not asked for again
    if (value == value_ || (dragging_ && value == lastRequested_)) {
        return;
    }
    lastRequested_ = value;
    emit valueRequested(value);
}

void StepSlider::dragTo(qreal x) {
    const QRectF track = trackRect();
    const double fraction = track.width() > 0 ? (x - track.left()) / track.width() : 0;
    request(steps_.valueAt(fraction));
}

void StepSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        return;
    }
    dragging_ = true;
    lastRequested_ = value_;
    dragTo(event->position().x());
}

void StepSlider::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        dragTo(event->position().x());
    }
}

void StepSlider::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
}

void StepSlider::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        request(steps_.stepFrom(value_, -1));
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        request(steps_.stepFrom(value_, 1));
        break;
    case Qt::Key_Home:
        request(steps_.lower);
        break;
    case Qt::Key_End:
        request(steps_.upper);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void StepSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) {
        painter.setOpacity(kDisabledOpacity);
    }
    const Appearance appearance = appearanceOf(this);
    const QRectF track = trackRect();
    const qreal x = track.left() + track.width() * steps_.fraction(value_);
    const qreal r = kTrackHeight / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(resolve(TavriluxTheme::surfaceBorder, appearance,
                             appearance == Appearance::dark ? 1.2 : 0.9));
    painter.drawRoundedRect(track.adjusted(-r, 0, r, 0), r, r);
    painter.setBrush(systemAccent(this));
    painter.drawRoundedRect(
        QRectF(track.left() - r, track.top(), x - track.left() + 2 * r, kTrackHeight), r, r);
    const QRectF knob(x - kKnob / 2, (height() - kKnob) / 2, kKnob, kKnob);
    ShadowCache::shared().drawShadow(painter, Shape::circle(), knob, QColor(0, 0, 0, 70), 1.2,
                                     QPointF(0, 0.5));
    painter.setBrush(Qt::white);
    painter.setPen(QPen(QColor(0, 0, 0, appearance == Appearance::dark ? 0 : 22), 0.5));
    painter.drawEllipse(knob.adjusted(0.25, 0.25, -0.25, -0.25));
    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(systemAccent(this), 1.5));
        painter.drawEllipse(knob.adjusted(-1, -1, 1, 1));
    }
}

} // namespace tavrilux::ui
