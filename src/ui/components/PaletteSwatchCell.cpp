#include "ui/components/PaletteSwatchCell.h"

#include "ui/foundation/Appearance.h"
#include "ui/foundation/Painting.h"

#include <QPainter>

#include <array>
#include <map>
#include <utility>

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
    // Every grid repeats the same few cell shapes (a family's first, middle and last cell), and
    // cutting paths is slow: each shape is cut once per process.
    using Key = std::array<qreal, 8>;
    static std::map<Key, std::pair<QPainterPath, QPainterPath>> cut;
    const QRectF cell = rect();
    const Key key{cell.x(),    cell.y(),    cell.width(),    cell.height(),
                  family_.x(), family_.y(), family_.width(), family_.height()};
    auto it = cut.find(key);
    if (it == cut.end()) {
        if (cut.size() >= 256) {
            cut.clear();
        }
        const QPainterPath family =
            Shape::rounded(kFamilyRadius).path(family_.isEmpty() ? cell : family_);
        QPainterPath cellPath;
        cellPath.addRect(cell);
        QPainterPath fill = family.intersected(cellPath);
        QPainterPath inner;
        inner.addRect(cell.adjusted(kRingWidth, kRingWidth, -kRingWidth, -kRingWidth));
        QPainterPath ring = fill.subtracted(inner);
        it = cut.emplace(key, std::make_pair(std::move(fill), std::move(ring))).first;
    }
    fill_ = it->second.first;
    ring_ = it->second.second;
    update();
}

void PaletteSwatchCell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(fill_, toQColor(Rgba{colour_.red, colour_.green, colour_.blue}));
    if (selected_) {
        painter.fillPath(ring_, Qt::white);
    } else if (hasFocus()) {
        painter.fillPath(ring_, QColor(255, 255, 255, 150));
    }
}

} // namespace tavrilux::ui
