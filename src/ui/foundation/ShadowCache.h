#pragma once

#include "ui/foundation/Painting.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QString>

#include <cstddef>
#include <functional>
#include <map>
#include <tuple>

class QPainter;

namespace tavrilux::ui {

// Blurs a premultiplied ARGB image in place (three box passes, close to a Gaussian of `sigma`
// device pixels).
void blurImage(QImage& image, qreal sigma);

// Soft shadows and blurred drawings, each rendered once per look and then only copied, so
// repainting a card or a row blurs nothing. Bounded: when full, the cache starts over.
// Main thread only.
class ShadowCache final {
public:
    static constexpr std::size_t kCapacity = 512;

    static ShadowCache& shared();

    // Draws the shadow of `shape` filling `rect`: `colour`, blur `radius` (the blur's standard
    // deviation in points), moved by `offset`. A clear colour draws nothing.
    void drawShadow(QPainter& painter, const Shape& shape, const QRectF& rect, const QColor& colour,
                    qreal radius, QPointF offset);

    // What `paint` draws on a canvas of `size` points, blurred by `radius`, with a margin of
    // margin(radius) points on every side; draw it at the canvas origin minus the margin. `key`
    // must name everything `paint` depends on.
    const QImage& blurred(const QString& key, QSizeF size, qreal radius, qreal devicePixelRatio,
                          const std::function<void(QPainter&)>& paint);

    // Room a blur of `radius` needs around the shape.
    static qreal margin(qreal radius);

    // Images made so far (tests and benchmarks check that repainting makes none).
    std::size_t renderCount() const { return renders_; }
    std::size_t size() const { return shadows_.size() + drawings_.size(); }

private:
    using ShadowKey = std::tuple<int, qreal, qreal, qreal, qreal, QRgb, qreal>;
    using DrawingKey = std::tuple<QString, qreal, qreal, qreal, qreal>;

    void makeRoom();
    // What `paint` draws on a fresh canvas of `size` plus the margin, blurred; makes room first.
    QImage render(QSizeF size, qreal radius, qreal devicePixelRatio,
                  const std::function<void(QPainter&)>& paint);

    std::map<ShadowKey, QImage> shadows_;
    std::map<DrawingKey, QImage> drawings_;
    std::size_t renders_ = 0;
};

} // namespace tavrilux::ui
