#include "ui/components/BorderedButton.h"

#include "ui/foundation/Appearance.h"
#include "ui/foundation/Fonts.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

namespace {
QFont labelFont() {
    return uiFont(13, FontWeight::medium);
}
} // namespace

BorderedButton::BorderedButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize BorderedButton::sizeHint() const {
    const QFontMetricsF metrics(labelFont());
    return QSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(text()) + 24)),
                 static_cast<int>(std::ceil(metrics.height() + 10)));
}

void BorderedButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) {
        painter.setOpacity(kDisabledOpacity);
    }
    const QColor accent = systemAccent(this);
    QColor wash = accent;
    wash.setAlphaF(isDown() ? 0.28f : 0.14f);
    const QPainterPath& shape = shape_.get(Shape::rounded(6), rect());
    painter.fillPath(shape, wash);
    if (hasFocus()) {
        painter.strokePath(shape, QPen(accent, 1.5));
    }
    painter.setFont(labelFont());
    painter.setPen(accent);
    painter.drawText(rect(), Qt::AlignCenter, text());
}

} // namespace tavrilux::ui
