#include "ui/components/PaletteSwatchCell.h"

#include "ui/foundation/Painting.h"

#include <QPainter>

namespace tavrilux::ui {

namespace {
constexpr qreal kFamilyRadius = 5;
constexpr qreal kRingWidth = 2;
} // namespace

PaletteSwatchCell::PaletteSwatchCell(const OverlayColor& colour, const QString& accessibleName,
                                     QWidget* parent)
    : QAbstractButton(parent), colour_(colour) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::TabFocus);
    setText(accessibleName);
    setAccessibleName(accessibleName);
    setToolTip(accessibleName);
}

void PaletteSwatchCell::setSelected(bool selected) {
    if (selected != selected_) {
        selected_ = selected;
        update();
    }
}

void PaletteSwatchCell::setFamilyRect(const QRectF& family) {
    family_ = family;
    rebuildPaths();
}

void PaletteSwatchCell::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    rebuildPaths();
}

void PaletteSwatchCell::rebuildPaths() {
    const QRectF cell = rect();
    const QPainterPath family =
        Shape::rounded(kFamilyRadius).path(family_.isEmpty() ? cell : family_);
    QPainterPath cellPath;
    cellPath.addRect(cell);
    fill_ = family.intersected(cellPath);
    QPainterPath inner;
    inner.addRect(cell.adjusted(kRingWidth, kRingWidth, -kRingWidth, -kRingWidth));
    ring_ = fill_.subtracted(inner);
    update();
}

void PaletteSwatchCell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor colour;
    colour.setRgbF(static_cast<float>(colour_.red), static_cast<float>(colour_.green),
                   static_cast<float>(colour_.blue));
    painter.fillPath(fill_, colour);
    if (selected_) {
        painter.fillPath(ring_, Qt::white);
    } else if (hasFocus()) {
        painter.fillPath(ring_, QColor(255, 255, 255, 150));
    }
}

} // namespace tavrilux::ui
