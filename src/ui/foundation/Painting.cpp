#include "ui/foundation/Painting.h"

#include <QBrush>
#include <QColor>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>

#include <algorithm>

namespace tavrilux::ui {

namespace {
// The corner extends this many radii along each edge; the control points give the curvature a
// smooth start instead of the jump of a circular arc.
constexpr qreal kCornerExtent = 1.52866483;
} // namespace

bool isRasterTarget(const QPainter& painter) {
    const QPaintEngine* engine = painter.paintEngine();
    return engine != nullptr && engine->type() == QPaintEngine::Raster;
}

QPainterPath continuousRoundedRect(const QRectF& rect, qreal radius) {
    QPainterPath path;
    if (rect.isEmpty()) {
        return path;
    }
    const qreal r = std::max<qreal>(0, radius);
    const qreal shorter = std::min(rect.width(), rect.height());
    if (r * kCornerExtent > shorter / 2) {
        const qreal arc = std::min(r, shorter / 2);
        path.addRoundedRect(rect, arc, arc);
        return path;
    }
    const qreal l = rect.left(), t = rect.top(), ri = rect.right(), b = rect.bottom();
    // Points of a corner given as multiples of r away from the corner along x and y.
    auto tl = [&](qreal x, qreal y) { return QPointF(l + x * r, t + y * r); };
    auto tr = [&](qreal x, qreal y) { return QPointF(ri - x * r, t + y * r); };
    auto br = [&](qreal x, qreal y) { return QPointF(ri - x * r, b - y * r); };
    auto bl = [&](qreal x, qreal y) { return QPointF(l + x * r, b - y * r); };
    // One corner from the edge along x to the edge along y; with the axes swapped, the same
    // corner traced the other way round.
    auto corner = [&path](auto at) {
        path.cubicTo(at(1.08849323, 0.0), at(0.86840689, 0.0), at(0.66993427, 0.06549600));
        path.lineTo(at(0.63149399, 0.07491176));
        path.cubicTo(at(0.37282392, 0.16906001), at(0.16906001, 0.37282392),
                     at(0.07491176, 0.63149399));
        path.lineTo(at(0.06549600, 0.66993427));
        path.cubicTo(at(0.0, 0.86840689), at(0.0, 1.08849323), at(0.0, kCornerExtent));
    };
    auto cornerSwapped = [&corner](auto at) {
        corner([&at](qreal x, qreal y) { return at(y, x); });
    };
    path.moveTo(tl(kCornerExtent, 0));
    path.lineTo(tr(kCornerExtent, 0));
    corner(tr);
    path.lineTo(br(0, kCornerExtent));
    cornerSwapped(br);
    path.lineTo(bl(kCornerExtent, 0));
    corner(bl);
    path.lineTo(tl(0, kCornerExtent));
    cornerSwapped(tl);
    path.closeSubpath();
    return path;
}

QPainterPath Shape::path(const QRectF& rect) const {
    QPainterPath result;
    switch (kind) {
    case Kind::roundedRect:
        return continuousRoundedRect(rect, radius);
    case Kind::capsule: {
        const qreal r = std::min(rect.width(), rect.height()) / 2;
        result.addRoundedRect(rect, r, r);
        return result;
    }
    case Kind::circle:
        result.addEllipse(rect);
        return result;
    }
    return result;
}

Shape Shape::inset(qreal by) const {
    return kind == Kind::roundedRect ? rounded(std::max<qreal>(0, radius - by)) : *this;
}

const QPainterPath& CachedPath::get(const Shape& shape, const QRectF& rect) {
    if (!valid_ || shape != shape_ || rect != rect_) {
        shape_ = shape;
        rect_ = rect;
        path_ = shape.path(rect);
        valid_ = true;
    }
    return path_;
}

void fillShape(QPainter& painter, const Shape& shape, const QRectF& rect, const QBrush& brush) {
    painter.fillPath(shape.path(rect), brush);
}

QRectF strokeRectInside(const QRectF& rect, qreal width) {
    return rect.adjusted(width / 2, width / 2, -width / 2, -width / 2);
}

void strokeInside(QPainter& painter, const Shape& shape, const QRectF& rect, qreal width,
                  const QColor& colour) {
    painter.strokePath(shape.inset(width / 2).path(strokeRectInside(rect, width)),
                       QPen(colour, width));
}

} // namespace tavrilux::ui
