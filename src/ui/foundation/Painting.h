#pragma once

#include <QPainterPath>
#include <QRectF>

class QBrush;
class QColor;
class QPainter;

namespace tavrilux::ui {

// The outlines the components are drawn with.
struct Shape final {
    enum class Kind { roundedRect, capsule, circle };

    Kind kind = Kind::roundedRect;
    qreal radius = 0; // roundedRect only

    // A rectangle whose corners flow into the edges (continuous corners, not circular arcs).
    static Shape rounded(qreal radius) { return Shape{Kind::roundedRect, radius}; }
    // Ends are half circles of the shorter side.
    static Shape capsule() { return Shape{Kind::capsule, 0}; }
    static Shape circle() { return Shape{Kind::circle, 0}; }

    QPainterPath path(const QRectF& rect) const;
    // The same shape grown (positive) or shrunk (negative) by `by` on every side.
    Shape inset(qreal by) const;

    friend bool operator==(const Shape&, const Shape&) = default;
};

// Whether `painter` draws into pixels. Only then does a widget paint from a picture it cached; a
// printer, a picture or a recording gets the drawing itself, texts included.
bool isRasterTarget(const QPainter& painter);

// A rounded rectangle with continuous corners. A corner too large for the rectangle falls back
// to circular arcs, as a capsule.
QPainterPath continuousRoundedRect(const QRectF& rect, qreal radius);

// Keeps the last outline built, so a widget repainting at the same size builds none.
class CachedPath final {
public:
    const QPainterPath& get(const Shape& shape, const QRectF& rect);

private:
    Shape shape_;
    QRectF rect_;
    QPainterPath path_;
    bool valid_ = false;
};

void fillShape(QPainter& painter, const Shape& shape, const QRectF& rect, const QBrush& brush);
// A border of `width` drawn entirely inside the shape's edge.
void strokeInside(QPainter& painter, const Shape& shape, const QRectF& rect, qreal width,
                  const QColor& colour);
// The rectangle a border of `width` inside `rect` is stroked along.
QRectF strokeRectInside(const QRectF& rect, qreal width);

} // namespace tavrilux::ui
