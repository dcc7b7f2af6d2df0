#include "ui/quickpanel/PanelSettingsButton.h"

#include "core/localization/LocalizationManager.h"
#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/Symbols.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr qreal kPadX = 14;
constexpr qreal kPadY = 4;
constexpr qreal kSpacing = 8;
constexpr qreal kSize = 12;

QFont labelFont() {
    return uiFont(kSize, FontWeight::medium);
}
qreal symbolBox() {
    return std::ceil(kSize * SymbolFont::kScale);
}
} // namespace

PanelSettingsButton::PanelSettingsButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setText(QString::fromStdString(L("settings")));
    setAccessibleName(text());
}

QSize PanelSettingsButton::sizeHint() const {
    const QFontMetricsF metrics(labelFont());
    return QSize(static_cast<int>(std::ceil(2 * kPadX + symbolBox() + kSpacing +
                                            metrics.horizontalAdvance(text()))),
                 static_cast<int>(std::ceil(2 * kPadY + std::max(symbolBox(), metrics.height()))));
}

void PanelSettingsButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isDown()) {
        painter.setOpacity(0.55);
    }
    const QColor colour = resolve(TavriluxTheme::secondaryText, appearanceOf(this));
    const qreal box = symbolBox();
    drawSymbol(painter, QRectF(kPadX, (height() - box) / 2, box, box), symbolName("gearshape.fill"),
               kSize, colour, FontWeight::medium);
    painter.setFont(labelFont());
    painter.setPen(colour);
    const qreal x = kPadX + box + kSpacing;
    painter.drawText(QRectF(x, 0, width() - x - kPadX, height()), Qt::AlignLeft | Qt::AlignVCenter,
                     text());
}

} // namespace tavrilux::ui
