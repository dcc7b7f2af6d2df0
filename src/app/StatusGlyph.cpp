#include "app/StatusGlyph.h"

#include "ui/foundation/Symbols.h"

#include <QIconEngine>
#include <QPixmap>

#include <memory>

namespace tavrilux {

namespace {

constexpr int kEdgeAlpha = 150;

class GlyphEngine final : public QIconEngine {
public:
    GlyphEngine(bool enabled, StatusGlyph::Foreground foreground)
        : enabled_(enabled), foreground_(std::move(foreground)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        StatusGlyph::paint(*painter, QRectF(rect), enabled_, foreground_());
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        return QPixmap::fromImage(
            StatusGlyph::image(enabled_, std::min(size.width(), size.height()), foreground_()));
    }
    QIconEngine* clone() const override { return new GlyphEngine(enabled_, foreground_); }
    // Trays that ask for fixed sizes (StatusNotifierItem) get the usual ones.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {QSize(16, 16), QSize(22, 22), QSize(24, 24),
                QSize(32, 32), QSize(48, 48), QSize(64, 64)};
    }

private:
    bool enabled_;
    StatusGlyph::Foreground foreground_;
};

} // namespace

QIcon StatusGlyph::icon(bool enabled, Foreground foreground) {
    return QIcon(new GlyphEngine(enabled, std::move(foreground)));
}

QImage StatusGlyph::image(bool enabled, int size, const QColor& foreground) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter, QRectF(0, 0, size, size), enabled, foreground);
    return image;
}

void StatusGlyph::paint(QPainter& painter, const QRectF& square, bool enabled,
                        const QColor& foreground) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double size = std::min(square.width(), square.height());
    const QRectF box(square.center() - QPointF(size / 2, size / 2), QSizeF(size, size));
    if (!paintUmbrella(painter, box, foreground)) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(foreground);
        painter.drawRoundedRect(box.adjusted(2, 2, -2, -2), 3, 3);
    }
    const double dot = size / 3;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(enabled ? kOnColor : kOffColor));
    painter.drawEllipse(QRectF(box.right() - dot - 1, box.bottom() - dot, dot, dot));
    painter.restore();
}

bool StatusGlyph::paintUmbrella(QPainter& painter, const QRectF& square, const QColor& foreground) {
    constexpr auto kUmbrella = ui::symbolName("umbrella.fill");
    const ui::SymbolFont& symbols = ui::SymbolFont::shared();
    const auto glyph = ui::symbolGlyph(kUmbrella);
    if (!glyph || !symbols.draws(*glyph)) {
        return false;
    }
    // The table sizes symbols as text beside them: kScale pixels a point.
    const double size = square.height() * kSymbolScale / ui::SymbolFont::kScale;
    // The edge: the symbol drawn around itself, of the opposite lightness.
    const QColor edge = foreground.lightness() >= 128 ? QColor(0, 0, 0, kEdgeAlpha)
                                                      : QColor(255, 255, 255, kEdgeAlpha);
    const double reach = std::max(1.0, square.height() / 22.0);
    for (const QPointF& by :
         {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1), QPointF(-0.7, -0.7),
          QPointF(0.7, -0.7), QPointF(-0.7, 0.7), QPointF(0.7, 0.7)}) {
        symbols.draw(painter, square.translated(by * reach), kUmbrella, size, edge);
    }
    symbols.draw(painter, square, kUmbrella, size, foreground);
    return true;
}

} // namespace tavrilux
