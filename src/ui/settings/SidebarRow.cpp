#include "ui/settings/SidebarRow.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Elision.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/Symbols.h"

#include <QFocusEvent>
#include <QLinearGradient>
#include <QPainter>

namespace tavrilux::ui {

namespace {
constexpr qreal kTile = 24;
constexpr qreal kInsetX = 8;
constexpr qreal kSpacing = 9;
} // namespace

SidebarRow::SidebarRow(SettingsTab tab, QWidget* parent) : QAbstractButton(parent), tab_(tab) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(kHeight);
    updateTitle();
}

void SidebarRow::setSelected(bool selected) {
    if (selected != selected_) {
        selected_ = selected;
        update();
    }
}

void SidebarRow::updateTitle() {
    setText(QString::fromStdString(title(tab_)));
    setAccessibleName(text());
    update();
}

QColor SidebarRow::tileColor(SystemColor colour, bool dark) {
    switch (colour) {
    case SystemColor::gray:
        return dark ? QColor(152, 152, 157) : QColor(142, 142, 147);
    case SystemColor::orange:
        return dark ? QColor(255, 159, 10) : QColor(255, 149, 0);
    case SystemColor::blue:
        return dark ? QColor(10, 132, 255) : QColor(0, 122, 255);
    }
    return QColor(142, 142, 147);
}

void SidebarRow::focusInEvent(QFocusEvent* event) {
    keyboardFocus_ =
        event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QAbstractButton::focusInEvent(event);
}

void SidebarRow::focusOutEvent(QFocusEvent* event) {
    keyboardFocus_ = false;
    QAbstractButton::focusOutEvent(event);
}

QSize SidebarRow::sizeHint() const {
    return QSize(160, kHeight);
}

void SidebarRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Appearance appearance = appearanceOf(this);
    const bool dark = appearance == Appearance::dark;
    const QRectF row = rect();
    if (selected_ || underMouse() || isDown()) {
        QColor fill = selected_ ? systemAccent(this) : resolve(TavriluxTheme::surface, appearance);
        if (selected_ && isDown()) {
            fill = fill.darker(110);
        }
        painter.fillPath(highlight_.get(Shape::rounded(6), row), fill);
    }
    if (keyboardFocus_ && !selected_) {
        painter.strokePath(highlight_.get(Shape::rounded(6), row), QPen(systemAccent(this), 1.5));
    }

    const QRectF tile(kInsetX, (row.height() - kTile) / 2, kTile, kTile);
    const QColor base = tileColor(tavrilux::tileColor(tab_), dark);
    QLinearGradient gradient(tile.topLeft(), tile.bottomLeft());
    gradient.setColorAt(0, base.lighter(118));
    gradient.setColorAt(1, base);
    painter.fillPath(tile_.get(Shape::rounded(6), tile), gradient);
    if (selected_) {
        // Keeps the tile apart from the accent behind it.
        painter.strokePath(tile_.get(Shape::rounded(6), tile), QPen(QColor(255, 255, 255, 70), 1));
    }
    drawSymbol(painter, tile, systemImage(tab_), 12, Qt::white, FontWeight::medium);

    painter.setFont(uiFont(13));
    painter.setPen(selected_ ? QColor(Qt::white) : resolve(TavriluxTheme::primaryText, appearance));
    const QRectF titleBox(tile.right() + kSpacing, 0, row.width() - tile.right() - kSpacing - 6,
                          row.height());
    painter.drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter,
                     Elision::elide(QFontMetricsF(painter.font()), text(), Qt::ElideRight,
                                    titleBox.width(), this));
}

} // namespace tavrilux::ui
