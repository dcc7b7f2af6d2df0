#include "ui/components/ScrollIndicator.h"

#include "ui/foundation/Appearance.h"
#include "ui/foundation/Painting.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr Spring kFade{0.25, 1.0};
constexpr int kEdgeGap = 2;
} // namespace

ScrollIndicator::ScrollIndicator(QAbstractScrollArea* area, int endInset)
    : QWidget(area), area_(area), endInset_(endInset), thumb_(false, this) {
    setAttribute(Qt::WA_TranslucentBackground);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area_->installEventFilter(this);
    hide_.setSingleShot(true);
    connect(&hide_, &QTimer::timeout, this, [this] {
        if (!hovered_ && !dragFrom_) {
            thumb_.setPresent(false, kFade);
        }
    });
    connect(&thumb_, &Presence::changed, this, qOverload<>(&QWidget::update));
    QScrollBar* bar = area_->verticalScrollBar();
    connect(bar, &QAbstractSlider::valueChanged, this, &ScrollIndicator::flash);
    connect(bar, &QAbstractSlider::rangeChanged, this, &ScrollIndicator::place);
    place();
}

bool ScrollIndicator::eventFilter(QObject* watched, QEvent* event) {
    if (watched == area_ && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        place();
    }
    return QWidget::eventFilter(watched, event);
}

void ScrollIndicator::place() {
    const QRect viewport = area_->viewport()->geometry();
    setGeometry(viewport.right() + 1 - kStripWidth, viewport.top(), kStripWidth, viewport.height());
    // Only content that overflows can be scrolled, so only then is there a strip to grab.
    setVisible(area_->verticalScrollBar()->maximum() > area_->verticalScrollBar()->minimum());
    raise();
    update();
}

void ScrollIndicator::flash() {
    thumb_.setPresent(true, kFade);
    if (!hovered_ && !dragFrom_) {
        hide_.start(kShowFor);
    }
}

QRectF ScrollIndicator::thumbRect() const {
    const QScrollBar* bar = area_->verticalScrollBar();
    const QRectF track = QRectF(rect()).adjusted(0, endInset_, 0, -endInset_);
    const qreal range = bar->maximum() - bar->minimum();
    const qreal total = range + bar->pageStep();
    const qreal length = std::min(
        track.height(), std::max<qreal>(kMinimumThumb, track.height() * bar->pageStep() / total));
    const qreal along = range > 0 ? (bar->value() - bar->minimum()) / range : 0;
    return QRectF(width() - kEdgeGap - kThumbWidth, track.top() + (track.height() - length) * along,
                  kThumbWidth, length);
}

void ScrollIndicator::paintEvent(QPaintEvent*) {
    if (!thumb_.isVisible()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(thumb_.opacity());
    const bool light = appearanceOf(this) == Appearance::light;
    fillShape(painter, Shape::capsule(), thumbRect(),
              light ? QColor(0, 0, 0, 95) : QColor(255, 255, 255, 110));
}

void ScrollIndicator::enterEvent(QEnterEvent*) {
    hovered_ = true;
    hide_.stop();
    thumb_.setPresent(true, kFade);
}

void ScrollIndicator::leaveEvent(QEvent*) {
    hovered_ = false;
    if (!dragFrom_) {
        hide_.start(kShowFor);
    }
}

void ScrollIndicator::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    QScrollBar* bar = area_->verticalScrollBar();
    const QRectF thumb = thumbRect();
    const qreal y = event->position().y();
    if (y >= thumb.top() && y <= thumb.bottom()) {
        dragFrom_ = y;
        dragValue_ = bar->value();
    } else {
        bar->triggerAction(y < thumb.top() ? QAbstractSlider::SliderPageStepSub
                                           : QAbstractSlider::SliderPageStepAdd);
    }
}

void ScrollIndicator::mouseMoveEvent(QMouseEvent* event) {
    if (!dragFrom_) {
        return;
    }
    QScrollBar* bar = area_->verticalScrollBar();
    const qreal travel = height() - 2 * endInset_ - thumbRect().height();
    if (travel > 0) {
        const qreal moved = (event->position().y() - *dragFrom_) / travel;
        bar->setValue(dragValue_ +
                      static_cast<int>(std::lround(moved * (bar->maximum() - bar->minimum()))));
    }
}

void ScrollIndicator::mouseReleaseEvent(QMouseEvent*) {
    dragFrom_.reset();
    if (!hovered_) {
        hide_.start(kShowFor);
    }
}

} // namespace tavrilux::ui
