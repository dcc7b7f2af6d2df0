#include "ui/components/PaletteSwatchCell.h"

#include "ui/components/GlassCard.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Painting.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <map>
#include <utility>

namespace tavrilux::ui {

namespace {
constexpr qreal kFamilyRadius = 5;
constexpr qreal kRingWidth = 2;
constexpr qreal kEdgeWidth = 1;
// Colours this close to the card's, channel by channel, would melt into it.
constexpr int kEdgeDistance = 32;
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
    static std::map<Key, Paths> cut;
    const QRectF cell = rect();
    const Key key{cell.x(),    cell.y(),    cell.width(),    cell.height(),
                  family_.x(), family_.y(), family_.width(), family_.height()};
    auto it = cut.find(key);
    if (it == cut.end()) {
        if (cut.size() >= 256) {
            cut.clear();
        }
        const QRectF pill = family_.isEmpty() ? cell : family_;
        // The cell's shape shrunk by `by` on every side, its family's round corners included.
        const auto inner = [&](qreal by) {
            QPainterPath rect;
            rect.addRect(cell.adjusted(by, by, -by, -by));
            return Shape::rounded(std::max<qreal>(0, kFamilyRadius - by))
                .path(pill.adjusted(by, by, -by, -by))
                .intersected(rect);
        };
        Paths paths;
        paths.fill = inner(0);
        paths.ring = paths.fill.subtracted(inner(kRingWidth));
        paths.edge = paths.fill.subtracted(inner(kEdgeWidth));
        paths.ringEdge = inner(kRingWidth).subtracted(inner(kRingWidth + kEdgeWidth));
        it = cut.emplace(key, std::move(paths)).first;
    }
    paths_ = it->second;
    update();
}

void PaletteSwatchCell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = toQColor(Rgba{colour_.red, colour_.green, colour_.blue});
    painter.fillPath(paths_.fill, colour);
    if (selected_) {
        painter.fillPath(paths_.ring, Qt::white);
    } else if (hasFocus()) {
        painter.fillPath(paths_.ring, QColor(255, 255, 255, 150));
    }
    const Appearance appearance = appearanceOf(this);
    if (colourDistance(colour, GlassCard::apparentColour(appearance)) <= kEdgeDistance) {
        const QColor hairline =
            appearance == Appearance::light ? QColor(0, 0, 0, 46) : QColor(255, 255, 255, 46);
        painter.fillPath(paths_.edge, hairline);
        if (selected_) {
            painter.fillPath(paths_.ringEdge, hairline);
        }
    }
}

} // namespace tavrilux::ui
