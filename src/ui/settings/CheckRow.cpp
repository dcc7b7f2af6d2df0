#include "ui/settings/CheckRow.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/Symbols.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr qreal kBox = 18;
constexpr qreal kSpacing = 9;

QFont titleFont() {
    return uiFont(13);
}
} // namespace

CheckRow::CheckRow(const QString& title, QWidget* parent) : QAbstractButton(parent) {
    setText(title);
    setAccessibleName(title);
    setCheckable(false);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, [this] { Q_EMIT toggleRequested(!on_); });
}

void CheckRow::setOn(bool on) {
    if (on != on_) {
        on_ = on;
        update();
    }
}

QSize CheckRow::sizeHint() const {
    const QFontMetricsF metrics(titleFont());
    return QSize(static_cast<int>(std::ceil(kBox + kSpacing + metrics.horizontalAdvance(text()))),
                 static_cast<int>(std::ceil(std::max(kBox, metrics.height()))) + 2);
}

void CheckRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) {
        painter.setOpacity(kDisabledOpacity);
    }
    const Appearance appearance = appearanceOf(this);
    const QRectF box(0.5, (height() - kBox) / 2, kBox, kBox);
    const Shape shape = Shape::rounded(5);
    if (on_) {
        QColor accent = systemAccent(this);
        if (isDown()) {
            accent = accent.darker(115);
        }
        painter.fillPath(box_.get(shape, box), accent);
        drawSymbol(painter, box, symbolName("checkmark"), 10, Qt::white, FontWeight::bold);
    } else {
        painter.fillPath(box_.get(shape, box),
                         resolve(TavriluxTheme::surface, appearance, isDown() ? 2.0 : 1.0));
        painter.strokePath(border_.get(shape.inset(0.5), strokeRectInside(box, 1)),
                           QPen(resolve(TavriluxTheme::surfaceBorder, appearance), 1));
    }
    if (hasFocus()) {
        painter.strokePath(box_.get(shape, box), QPen(systemAccent(this), 1.5));
    }
    painter.setFont(titleFont());
    painter.setPen(resolve(TavriluxTheme::primaryText, appearance));
    painter.drawText(QRectF(kBox + kSpacing, 0, width() - kBox - kSpacing, height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
}

} // namespace tavrilux::ui
