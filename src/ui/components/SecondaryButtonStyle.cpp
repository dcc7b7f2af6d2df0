#include "ui/components/SecondaryButtonStyle.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Fonts.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr qreal kInsetX = 14;
constexpr qreal kInsetY = 7;

QFont labelFont() {
    return uiFont(12, FontWeight::medium);
}
} // namespace

SecondaryButtonStyle::SecondaryButtonStyle(const QString& text, ButtonRole role, QWidget* parent)
    : QPushButton(text, parent), role_(role) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SecondaryButtonStyle::setRole(ButtonRole role) {
    role_ = role;
    update();
}

QSize SecondaryButtonStyle::sizeHint() const {
    const QFontMetricsF metrics(labelFont());
    return QSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(text()) + 2 * kInsetX)),
                 static_cast<int>(std::ceil(metrics.height() + 2 * kInsetY)));
}

void SecondaryButtonStyle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? 0.6 : (isEnabled() ? 1.0 : kDisabledOpacity));
    const Appearance appearance = appearanceOf(this);
    const QRectF bounds = rect();
    painter.fillPath(capsule_.get(Shape::capsule(), bounds),
                     resolve(TavriluxTheme::surface, appearance));
    painter.strokePath(
        border_.get(Shape::capsule(), strokeRectInside(bounds, 1)),
        QPen(hasFocus() ? systemAccent(this) : resolve(TavriluxTheme::surfaceBorder, appearance),
             1));
    painter.setFont(labelFont());
    painter.setPen(role_ == ButtonRole::destructive
                       ? toQColor(TavriluxTheme::danger)
                       : resolve(TavriluxTheme::primaryText, appearance));
    painter.drawText(bounds, Qt::AlignCenter, text());
}

} // namespace tavrilux::ui
