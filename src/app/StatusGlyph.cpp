#include "app/StatusGlyph.h"

#include <QIconEngine>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPixmap>

#include <memory>

namespace tavrilux {

namespace {

// The open umbrella on a 24-unit grid: a dome with a scalloped rim, the shaft and its hook.
QPainterPath umbrellaPath() {
    QPainterPath canopy;
    canopy.moveTo(1, 12.5);
    canopy.arcTo(QRectF(1, 2, 22, 21), 180, -180);
    const double scallop = 22.0 / 3.0;
    for (int i = 2; i >= 0; --i) {
        canopy.arcTo(QRectF(1 + i * scallop, 11, scallop, 3), 0, 180);
    }
    canopy.closeSubpath();
    QPainterPath handle;
    handle.moveTo(12, 12);
    handle.lineTo(12, 19.6);
    handle.arcTo(QRectF(7.2, 17.2, 4.8, 4.8), 0, -180);
    QPainterPathStroker stroker;
    stroker.setWidth(2.1);
    stroker.setCapStyle(Qt::RoundCap);
    return canopy.united(stroker.createStroke(handle));
}

class GlyphEngine final : public QIconEngine {
public:
    explicit GlyphEngine(bool enabled) : enabled_(enabled) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        StatusGlyph::paint(*painter, QRectF(rect), enabled_);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        return QPixmap::fromImage(
            StatusGlyph::image(enabled_, std::min(size.width(), size.height())));
    }
    QIconEngine* clone() const override { return new GlyphEngine(enabled_); }
    // Trays that ask for fixed sizes (StatusNotifierItem) get the usual ones.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {QSize(16, 16), QSize(22, 22), QSize(24, 24),
                QSize(32, 32), QSize(48, 48), QSize(64, 64)};
    }

private:
    bool enabled_;
};

} // namespace

QIcon StatusGlyph::icon(bool enabled) {
    return QIcon(new GlyphEngine(enabled));
}

QImage StatusGlyph::image(bool enabled, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter, QRectF(0, 0, size, size), enabled);
    return image;
}

void StatusGlyph::paint(QPainter& painter, const QRectF& square, bool enabled) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double size = std::min(square.width(), square.height());
    const QRectF box(square.center() - QPointF(size / 2, size / 2), QSizeF(size, size));
    if (!paintUmbrella(painter, box)) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(box.adjusted(2, 2, -2, -2), 3, 3);
    }
    const double dot = size / 3;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(enabled ? kOnColor : kOffColor));
    painter.drawEllipse(QRectF(box.right() - dot - 1, box.bottom() - dot, dot, dot));
    painter.restore();
}

bool StatusGlyph::paintUmbrella(QPainter& painter, const QRectF& square) {
    static const QPainterPath path = umbrellaPath();
    const double side = square.height() * kSymbolScale;
    painter.save();
    painter.translate(square.center() - QPointF(side / 2, side / 2));
    painter.scale(side / 24, side / 24);
    // A faint dark edge keeps the white symbol legible on light trays.
    painter.strokePath(path, QPen(QColor(0, 0, 0, 90), 1.6));
    painter.fillPath(path, Qt::white);
    painter.restore();
    return true;
}

} // namespace tavrilux
