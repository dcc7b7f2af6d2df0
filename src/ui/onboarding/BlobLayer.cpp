#include "ui/onboarding/BlobLayer.h"

#include "core/theme/Rgba.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/ShadowCache.h"
#include "ui/onboarding/BlurRadius.h"
#include "ui/onboarding/MotionClock.h"

#include <QPainter>
#include <QRadialGradient>

#include <array>
#include <cmath>

namespace tavrilux::ui {

namespace {

struct Blob {
    Rgba colour;
    qreal gradientRadius;
    qreal frame;
    QPointF from;
    QPointF to;
    double legSeconds;
};

constexpr qreal kBlur = blurSigma(70);
constexpr qreal kOpacity = 0.3;

const std::array<Blob, BlobLayer::kBlobCount>& blobs() {
    static const std::array<Blob, BlobLayer::kBlobCount> all{
        Blob{{0.12, 0.42, 0.44, 1}, 200, 300, {-60, -80}, {60, 80}, 8},
        Blob{{0.36, 0.60, 0.30, 1}, 180, 280, {50, 60}, {-50, -60}, 11},
        Blob{{0.91, 0.64, 0.24, 1}, 160, 260, {-40, 50}, {40, -50}, 9},
    };
    return all;
}

} // namespace

BlobLayer::BlobLayer(const MotionClock& clock, QWidget* parent) : QWidget(parent), clock_(clock) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    connect(&clock, &MotionClock::ticked, this, qOverload<>(&QWidget::update));
}

QPointF BlobLayer::offsetAt(int blob, double seconds) {
    const Blob& b = blobs().at(static_cast<std::size_t>(blob));
    const double legs = std::max(0.0, seconds) / b.legSeconds;
    const double leg = std::floor(legs);
    double fraction = legs - leg;
    if (std::fmod(leg, 2.0) != 0) {
        fraction = 1 - fraction; // on the way back
    }
    return b.from + (b.to - b.from) * fraction;
}

void BlobLayer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setOpacity(kOpacity);
    const qreal dpr = devicePixelRatioF();
    const QPointF centre = QRectF(rect()).center();
    const double now = clock_.seconds();
    for (int i = 0; i < kBlobCount; ++i) {
        const Blob& blob = blobs().at(static_cast<std::size_t>(i));
        const QImage& image = ShadowCache::shared().blurred(
            QStringLiteral("onboarding.blob.%1").arg(i), QSizeF(blob.frame, blob.frame), kBlur, dpr,
            [&](QPainter& p) {
                const QPointF middle(blob.frame / 2, blob.frame / 2);
                QRadialGradient fill(middle, blob.gradientRadius);
                fill.setColorAt(0, toQColor(blob.colour));
                fill.setColorAt(1, toQColor(blob.colour, 0));
                p.setPen(Qt::NoPen);
                p.setBrush(fill);
                p.drawEllipse(QRectF(0, 0, blob.frame, blob.frame));
            });
        const qreal margin = ShadowCache::margin(kBlur);
        const QPointF topLeft =
            centre + offsetAt(i, now) - QPointF(blob.frame / 2 + margin, blob.frame / 2 + margin);
        // Whole pixels: the blob is too soft for a half-pixel step to show, and a plain copy is
        // the cheapest way to draw it.
        painter.drawImage(QPointF(std::round(topLeft.x()), std::round(topLeft.y())), image);
    }
}

} // namespace tavrilux::ui
