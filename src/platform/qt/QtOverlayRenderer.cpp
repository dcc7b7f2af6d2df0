#include "platform/qt/QtOverlayRenderer.h"

#include "core/overlay/GrainView.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tavrilux::qt {
namespace {

// The frosted material that stands in for a live blur: light and translucent of its own.
constexpr double kFrostRed = 0.93;
constexpr double kFrostGreen = 0.94;
constexpr double kFrostBlue = 0.96;
constexpr double kFrostAlpha = 0.6;

QColor toQColor(const Rgba& c, double extraAlpha = 1.0) {
    return QColor::fromRgbF(static_cast<float>(std::clamp(c.red, 0.0, 1.0)),
                            static_cast<float>(std::clamp(c.green, 0.0, 1.0)),
                            static_cast<float>(std::clamp(c.blue, 0.0, 1.0)),
                            static_cast<float>(std::clamp(c.alpha * extraAlpha, 0.0, 1.0)));
}

// View rectangles have their origin at the bottom left; images at the top left.
QRectF flipped(const Rect& r, double viewHeight) {
    return QRectF(r.x, viewHeight - r.y - r.height, r.width, r.height);
}

const QImage& grainTile() {
    static const QImage tile = [] {
        const NoiseTile& noise = GrainView::noiseTile();
        QImage image(NoiseTile::kSize, NoiseTile::kSize, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < NoiseTile::kSize; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < NoiseTile::kSize; ++x) {
                const int a = noise.alpha[static_cast<std::size_t>(y * NoiseTile::kSize + x)];
                row[x] = qRgba(a, a, a, a); // white, premultiplied
            }
        }
        return image;
    }();
    return tile;
}

// Three box blurs in a row approximate a gaussian; on the alpha channel only.
void boxBlurAlpha(std::vector<float>& a, int w, int h, int radius) {
    if (radius < 1) {
        return;
    }
    std::vector<float> tmp(a.size());
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y) {
            float sum = 0;
            const int n = 2 * radius + 1;
            for (int x = -radius; x <= radius; ++x) {
                sum += a[static_cast<std::size_t>(y * w + std::clamp(x, 0, w - 1))];
            }
            for (int x = 0; x < w; ++x) {
                tmp[static_cast<std::size_t>(y * w + x)] = sum / static_cast<float>(n);
                sum += a[static_cast<std::size_t>(y * w + std::min(x + radius + 1, w - 1))];
                sum -= a[static_cast<std::size_t>(y * w + std::max(x - radius, 0))];
            }
        }
        for (int x = 0; x < w; ++x) {
            float sum = 0;
            const int n = 2 * radius + 1;
            for (int y = -radius; y <= radius; ++y) {
                sum += tmp[static_cast<std::size_t>(std::clamp(y, 0, h - 1) * w + x)];
            }
            for (int y = 0; y < h; ++y) {
                a[static_cast<std::size_t>(y * w + x)] = sum / static_cast<float>(n);
                sum += tmp[static_cast<std::size_t>(std::min(y + radius + 1, h - 1) * w + x)];
                sum -= tmp[static_cast<std::size_t>(std::max(y - radius, 0) * w + x)];
            }
        }
    }
}

// The aura mask: the halo shapes at a quarter of the resolution, softened, scaled up.
QImage auraMask(const ShapeMaskLayer& mask, int width, int height) {
    constexpr int kScale = 4;
    const int w = std::max(1, width / kScale);
    const int h = std::max(1, height / kScale);
    QImage small(w, h, QImage::Format_ARGB32_Premultiplied);
    small.fill(Qt::transparent);
    {
        QPainter p(&small);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(1.0 / kScale, 1.0 / kScale);
        for (const ShapeLayer& shape : mask.sublayers) {
            QPainterPath path;
            path.addRoundedRect(flipped(shape.pathRect, height), shape.cornerRadius,
                                shape.cornerRadius);
            p.fillPath(path, toQColor(shape.fillColor));
        }
    }
    if (mask.gaussianBlurRadius && *mask.gaussianBlurRadius > 0.0) {
        std::vector<float> alpha(static_cast<std::size_t>(w * h));
        for (int y = 0; y < h; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(small.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                alpha[static_cast<std::size_t>(y * w + x)] = static_cast<float>(qAlpha(row[x]));
            }
        }
        // Three boxes of radius r give a gaussian of about sigma = r.
        const int radius = static_cast<int>(std::lround(*mask.gaussianBlurRadius / kScale));
        boxBlurAlpha(alpha, w, h, radius);
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<QRgb*>(small.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const int a = std::clamp(
                    static_cast<int>(std::lround(alpha[static_cast<std::size_t>(y * w + x)])), 0,
                    255);
                row[x] = qRgba(a, a, a, a);
            }
        }
    }
    return small.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

void renderOverlay(const OverlayPaintState& state, std::uint32_t* pixels, int width, int height) {
    QImage image(reinterpret_cast<uchar*>(pixels), width, height, width * 4,
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const double viewHeight = height;
    const QRectF bounds(0, 0, width, height);

    if (state.blurVisible && !state.usesBackdrop && state.fallbackAlpha > 0.0) {
        p.fillRect(
            flipped(state.blurFrame, viewHeight),
            toQColor(Rgba{kFrostRed, kFrostGreen, kFrostBlue, kFrostAlpha}, state.fallbackAlpha));
    }
    if (state.grainOpacity > 0.0) {
        p.save();
        p.setOpacity(std::min(state.grainOpacity, 1.0));
        p.fillRect(bounds, QBrush(grainTile()));
        p.restore();
    }
    if (state.borderOpacity > 0.0) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(Qt::NoBrush);
        // The glow: white shadow of radius 10 around the border line.
        for (int i = 1; i <= 4; ++i) {
            QPen glow(toQColor(Rgba::white(0.22 / (i * 1.5)), state.borderOpacity));
            glow.setWidthF(1.4 + i * 5.0);
            p.setPen(glow);
            p.drawRect(bounds.adjusted(0.7, 0.7, -0.7, -0.7));
        }
        QPen line(toQColor(Rgba::white(0.55), state.borderOpacity));
        line.setWidthF(1.4);
        p.setPen(line);
        p.drawRect(bounds.adjusted(0.7, 0.7, -0.7, -0.7));
        p.restore();
    }
    if (state.tintColor.alpha > 0.0) {
        p.fillRect(bounds, toQColor(state.tintColor));
    }

    if (const auto* gradient = std::get_if<GradientLayer>(&state.mask)) {
        // Unit points have y up; the image has y down.
        const QRectF frame = flipped(gradient->frame, viewHeight);
        QLinearGradient g(frame.left() + gradient->startPoint.x * frame.width(),
                          frame.bottom() - gradient->startPoint.y * frame.height(),
                          frame.left() + gradient->endPoint.x * frame.width(),
                          frame.bottom() - gradient->endPoint.y * frame.height());
        const std::size_t n = std::min(gradient->locations.size(), gradient->colors.size());
        for (std::size_t i = 0; i < n; ++i) {
            g.setColorAt(std::clamp(gradient->locations[i], 0.0, 1.0),
                         toQColor(gradient->colors[i]));
        }
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.fillRect(bounds, QBrush(g));
    } else if (const auto* aura = std::get_if<ShapeMaskLayer>(&state.mask)) {
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.drawImage(0, 0, auraMask(*aura, width, height));
    }
    p.end();
}

} // namespace tavrilux::qt
