#include "ui/components/PrimaryButtonStyle.h"

#include "ui/foundation/Appearance.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/Symbols.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr qreal kInsetX = 14;
constexpr qreal kInsetY = 7;
constexpr qreal kSymbolGap = 4;
constexpr qreal kTextSize = 12;

QFont labelFont() {
    return uiFont(kTextSize, FontWeight::semibold);
}
} // namespace

PrimaryButtonStyle::PrimaryButtonStyle(const QString& text, QWidget* parent)
    : QPushButton(text, parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PrimaryButtonStyle::setTrailingSymbol(std::string_view name) {
    trailingSymbol_ = name;
    updateGeometry();
    update();
}

void PrimaryButtonStyle::setOpacity(qreal opacity) {
    if (opacity != opacity_) {
        opacity_ = opacity;
        update();
    }
}

QSize PrimaryButtonStyle::sizeHint() const {
    const QFontMetricsF metrics(labelFont());
    qreal width = metrics.horizontalAdvance(text());
    if (!trailingSymbol_.empty()) {
        width += kSymbolGap + kTextSize * SymbolFont::kScale;
    }
    return QSize(static_cast<int>(std::ceil(width + 2 * kInsetX)),
                 static_cast<int>(std::ceil(metrics.height() + 2 * kInsetY)));
}

void PrimaryButtonStyle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isEnabled() ? opacity_ : opacity_ * kDisabledOpacity);
    QColor fill = systemAccent(this);
    fill.setAlphaF(fill.alphaF() * (isDown() ? 0.7f : 1.0f));
    const QPainterPath& capsule = capsule_.get(Shape::capsule(), rect());
    painter.fillPath(capsule, fill);
    if (hasFocus()) {
        painter.strokePath(capsule, QPen(QColor(255, 255, 255, 140), 1.5));
    }
    const QFontMetricsF metrics(labelFont());
    const qreal textWidth = metrics.horizontalAdvance(text());
    const qreal symbolWidth = trailingSymbol_.empty() ? 0 : kTextSize * SymbolFont::kScale;
    const qreal total = textWidth + (symbolWidth > 0 ? kSymbolGap + symbolWidth : 0);
    const qreal x = (width() - total) / 2;
    painter.setFont(labelFont());
    painter.setPen(Qt::white);
    painter.drawText(QRectF(x, 0, textWidth + 1, height()), Qt::AlignLeft | Qt::AlignVCenter,
                     text());
    if (symbolWidth > 0) {
        drawSymbol(painter, QRectF(x + textWidth + kSymbolGap, 0, symbolWidth, height()),
                   trailingSymbol_, kTextSize, Qt::white, FontWeight::semibold);
    }
}

} // namespace tavrilux::ui
