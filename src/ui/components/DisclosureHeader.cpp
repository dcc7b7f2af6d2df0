#include "ui/components/DisclosureHeader.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/components/RowTexts.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Elision.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/Symbols.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr qreal kChevronSize = 11;

QFont titleFont() {
    return uiFont(13, FontWeight::semibold);
}
} // namespace

DisclosureHeader::DisclosureHeader(const QString& title, QWidget* parent)
    : QAbstractButton(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setText(title);
}

void DisclosureHeader::setExpanded(bool expanded) {
    expanded_ = expanded;
    update();
}

QSize DisclosureHeader::sizeHint() const {
    const QFontMetricsF metrics(titleFont());
    return QSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(text()) + 2 * kRowInsetX + 8 +
                                            kChevronSize * SymbolFont::kScale)),
                 static_cast<int>(std::ceil(metrics.height())) + 2 * kRowInsetY);
}

QSize DisclosureHeader::minimumSizeHint() const {
    return QSize(2 * kRowInsetX + 40, sizeHint().height());
}

void DisclosureHeader::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Appearance appearance = appearanceOf(this);
    const QRectF content =
        QRectF(rect()).adjusted(kRowInsetX, kRowInsetY, -kRowInsetX, -kRowInsetY);
    const qreal chevron = kChevronSize * SymbolFont::kScale;
    painter.setFont(titleFont());
    painter.setPen(resolve(TavriluxTheme::primaryText, appearance));
    const QRectF titleBox = content.adjusted(0, 0, -chevron - 8, 0);
    painter.drawText(
        titleBox, Qt::AlignLeft | Qt::AlignVCenter,
        Elision::elide(QFontMetricsF(titleFont()), text(), Qt::ElideRight, titleBox.width(), this));
    const QRectF box(content.right() - chevron, content.center().y() - chevron / 2, chevron,
                     chevron);
    painter.translate(box.center());
    painter.rotate(expanded_ ? 0 : -90);
    painter.translate(-box.center());
    drawSymbol(painter, box, symbolName("chevron.down"), kChevronSize,
               resolve(TavriluxTheme::secondaryText, appearance), FontWeight::semibold);
    if (hasFocus()) {
        painter.resetTransform();
        painter.setPen(QPen(systemAccent(this), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(2, 2, -2, -2), 6, 6);
    }
}

} // namespace tavrilux::ui
