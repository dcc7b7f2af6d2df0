#include "ui/components/StatusBadge.h"

#include "core/localization/LocalizationManager.h"
#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/Painting.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr qreal kInsetX = 6;
constexpr qreal kInsetY = 4;

QFont badgeFont() {
    return uiFont(9, FontWeight::bold);
}
} // namespace

StatusBadge::StatusBadge(bool active, QWidget* parent) : QWidget(parent), active_(active) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    lookUp();
}

void StatusBadge::setActive(bool active) {
    active_ = active;
    lookUp();
}

void StatusBadge::lookUp() {
    const QString text = QString::fromStdString(
        L(active_ ? localizationKey("status_on") : localizationKey("status_off")));
    if (text != text_) {
        text_ = text;
        setAccessibleName(text_);
        updateGeometry();
    }
    update();
}

QSize StatusBadge::sizeHint() const {
    const QFontMetricsF metrics(badgeFont());
    return QSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(text_) + 2 * kInsetX)),
                 static_cast<int>(std::ceil(metrics.height() + 2 * kInsetY)));
}

void StatusBadge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Appearance appearance = appearanceOf(this);
    const QColor colour = active_ ? toQColor(TavriluxTheme::success)
                                  : resolve(TavriluxTheme::secondaryText, appearance);
    QColor fill = colour;
    fill.setAlphaF(fill.alphaF() * 0.16f);
    painter.fillPath(Shape::capsule().path(rect()), fill);
    painter.setFont(badgeFont());
    painter.setPen(colour);
    painter.drawText(rect(), Qt::AlignCenter, text_);
}

void StatusBadge::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        lookUp();
    }
    QWidget::changeEvent(event);
}

} // namespace tavrilux::ui
