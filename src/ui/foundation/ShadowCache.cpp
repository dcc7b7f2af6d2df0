#include "ui/foundation/ShadowCache.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace tavrilux::ui {

namespace {

// Widths of three box filters whose succession approximates a Gaussian of `sigma`.
std::array<int, 3> boxSizes(qreal sigma) {
    const qreal ideal = std::sqrt(12 * sigma * sigma / 3 + 1);
    int lower = static_cast<int>(std::floor(ideal));
    if (lower % 2 == 0) {
        --lower;
    }
    const int upper = lower + 2;
    const qreal m =
        std::round((12 * sigma * sigma - 3 * lower * lower - 12 * lower - 9) / (-4 * lower - 4));
    std::array<int, 3> sizes{};
    for (int i = 0; i < 3; ++i) {
        sizes[static_cast<std::size_t>(i)] = std::max(1, i < m ? lower : upper);
    }
    return sizes;
}

// One box pass of radius r along `lines` lines of `length` pixels, all four channels; source and
// destination are separate buffers, each addressed by its own pixel and line steps.
struct Lines {
    const std::uint32_t* src;
    std::ptrdiff_t srcStep, srcLine;
    std::uint32_t* dst;
    std::ptrdiff_t dstStep, dstLine;
};

void boxPass(const Lines& at, int lines, int length, int r) {
    const int window = 2 * r + 1;
    for (int line = 0; line < lines; ++line) {
        const std::uint32_t* in = at.src + line * at.srcLine;
        std::uint32_t* out = at.dst + line * at.dstLine;
        int sum[4] = {0, 0, 0, 0};
        auto add = [&](int index, int sign) {
            if (index < 0 || index >= length) {
                return; // transparent outside
            }
            const std::uint32_t p = in[index * at.srcStep];
            sum[0] += sign * static_cast<int>(p >> 24);
            sum[1] += sign * static_cast<int>((p >> 16) & 0xff);
            sum[2] += sign * static_cast<int>((p >> 8) & 0xff);
            sum[3] += sign * static_cast<int>(p & 0xff);
        };
        for (int i = -r; i < r; ++i) {
            add(i, 1);
        }
        for (int i = 0; i < length; ++i) {
            add(i + r, 1);
            auto channel = [&](int c) {
                return static_cast<std::uint32_t>((sum[c] + window / 2) / window);
            };
            out[i * at.dstStep] =
                (channel(0) << 24) | (channel(1) << 16) | (channel(2) << 8) | channel(3);
            add(i - r, -1);
        }
    }
}

} // namespace

void blurImage(QImage& image, qreal sigma) {
    if (sigma <= 0 || image.isNull()) {
        return;
    }
    if (image.format() != QImage::Format_ARGB32_Premultiplied) {
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    const int w = image.width(), h = image.height();
    auto* pixels = reinterpret_cast<std::uint32_t*>(image.bits());
    std::vector<std::uint32_t> scratch(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    const int stride = image.bytesPerLine() / 4;
    for (int size : boxSizes(sigma)) {
        const int r = (size - 1) / 2;
        if (r <= 0) {
            continue;
        }
        // rows into the packed scratch buffer, then columns back into the image
        boxPass(Lines{pixels, 1, stride, scratch.data(), 1, w}, h, w, r);
        boxPass(Lines{scratch.data(), w, 1, pixels, stride, 1}, w, h, r);
    }
}

ShadowCache& ShadowCache::shared() {
    static ShadowCache cache;
    return cache;
}

qreal ShadowCache::margin(qreal radius) {
    return std::ceil(std::max<qreal>(0, radius) * 3) + 1;
}

void ShadowCache::makeRoom() {
    if (size() >= kCapacity) {
        shadows_.clear();
        drawings_.clear();
    }
}

QImage ShadowCache::render(QSizeF size, qreal radius, qreal devicePixelRatio,
                           const std::function<void(QPainter&)>& paint) {
    makeRoom();
    const qreal m = margin(radius);
    QImage image(QSize(static_cast<int>(std::ceil((size.width() + 2 * m) * devicePixelRatio)),
                       static_cast<int>(std::ceil((size.height() + 2 * m) * devicePixelRatio))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(m, m);
        paint(p);
    }
    blurImage(image, radius * devicePixelRatio);
    ++renders_;
    return image;
}

void ShadowCache::drawShadow(QPainter& painter, const Shape& shape, const QRectF& rect,
                             const QColor& colour, qreal radius, QPointF offset) {
    if (colour.alpha() == 0 || rect.isEmpty()) {
        return;
    }
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const ShadowKey key{static_cast<int>(shape.kind),
                        shape.radius,
                        rect.width(),
                        rect.height(),
                        radius,
                        colour.rgba(),
                        dpr};
    auto it = shadows_.find(key);
    if (it == shadows_.end()) {
        QImage image = render(rect.size(), radius, dpr, [&](QPainter& p) {
            p.fillPath(shape.path(QRectF(QPointF(0, 0), rect.size())), colour);
        });
        it = shadows_.emplace(key, std::move(image)).first;
    }
    const qreal m = margin(radius);
    painter.drawImage(rect.topLeft() + offset - QPointF(m, m), it->second);
}

const QImage& ShadowCache::blurred(const QString& key, QSizeF size, qreal radius,
                                   qreal devicePixelRatio,
                                   const std::function<void(QPainter&)>& paint) {
    const DrawingKey fullKey{key, size.width(), size.height(), radius, devicePixelRatio};
    auto it = drawings_.find(fullKey);
    if (it == drawings_.end()) {
        it = drawings_.emplace(fullKey, render(size, radius, devicePixelRatio, paint)).first;
    }
    return it->second;
}

} // namespace tavrilux::ui
