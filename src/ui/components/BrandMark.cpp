#include "ui/components/BrandMark.h"

#include "core/resources/AppIcons.h"
#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Painting.h"
#include "ui/foundation/Symbols.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr qreal kCornerFactor = 0.26;

// The icon scaled to a device size and cut to the mark's outline (with smooth edges), once per
// size, so repainting only copies it.
const QImage& maskedIcon(const QImage& icon, int edge) {
    static QHash<qint64, QImage> cache;
    const qint64 key = icon.cacheKey() ^ (static_cast<qint64>(edge) << 48);
    auto it = cache.find(key);
    if (it == cache.end()) {
        QImage image(edge, edge, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const QImage scaled =
            icon.scaled(edge, edge, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        p.drawImage((edge - scaled.width()) / 2, (edge - scaled.height()) / 2, scaled);
        QPainterPath outside;
        outside.addRect(QRectF(0, 0, edge, edge));
        outside =
            outside.subtracted(Shape::rounded(edge * kCornerFactor).path(QRectF(0, 0, edge, edge)));
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.fillPath(outside, Qt::black);
        p.end();
        it = cache.insert(key, image);
    }
    return *it;
}
} // namespace

BrandMark::BrandMark(int size, QWidget* parent) : QWidget(parent), size_(size) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(size, size);
}

const QImage& BrandMark::applicationIcon() {
    static const QImage icon = [] {
        const auto& png = AppIcons::appIcon();
        if (!png) {
            return QImage();
        }
        return QImage::fromData(reinterpret_cast<const uchar*>(png->pngData.data()),
                                static_cast<int>(png->pngData.size()), "PNG")
            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }();
    return icon;
}

void BrandMark::paint(QPainter& painter, const QRectF& square, const QImage& icon) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const qreal edge = std::min(square.width(), square.height());
    if (!icon.isNull()) {
        const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
        const QImage& masked = maskedIcon(icon, static_cast<int>(std::lround(edge * dpr)));
        QRectF target(QPointF(), QSizeF(masked.size()) / dpr);
        target.moveCenter(square.center());
        painter.drawImage(target, masked);
    } else {
        QLinearGradient gradient(square.topLeft(), square.bottomRight());
        gradient.setColorAt(0, toQColor(TavriluxTheme::accent));
        gradient.setColorAt(1, toQColor(TavriluxTheme::accent, 0.7));
        painter.fillPath(Shape::rounded(edge * kCornerFactor).path(square), gradient);
        drawSymbol(painter, square, symbolName("umbrella.fill"), edge * 0.5, Qt::white,
                   FontWeight::semibold);
    }
    painter.restore();
}

void BrandMark::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRectF square(0, 0, size_, size_);
    square.moveCenter(QRectF(rect()).center());
    paint(painter, square, applicationIcon());
}

} // namespace tavrilux::ui
