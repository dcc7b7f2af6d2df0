#include "ui/components/WindowCloseButton.h"

#include "core/localization/LocalizationManager.h"
#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Symbols.h"

#include <QPainter>

namespace tavrilux::ui {

WindowCloseButton::WindowCloseButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::ArrowCursor);
    setAccessibleName(QString::fromStdString(L(localizationKey("close"))));
    resize(sizeHint());
}

QSize WindowCloseButton::sizeHint() const {
    return QSize(kSize, kSize);
}

void WindowCloseButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Appearance appearance = appearanceOf(this);
    const bool lit = isDown() || underMouse();
    const QRectF circle = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(
        resolve(lit ? TavriluxTheme::surfaceBorder : TavriluxTheme::surface, appearance));
    painter.drawEllipse(circle);
    drawSymbol(painter, circle, symbolName("xmark"), 10,
               resolve(lit ? TavriluxTheme::primaryText : TavriluxTheme::secondaryText, appearance),
               FontWeight::bold);
    if (hasFocus()) {
        painter.setPen(QPen(systemAccent(this), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(circle.adjusted(0.75, 0.75, -0.75, -0.75));
    }
}

} // namespace tavrilux::ui
