#include "app/StatusGlyph.h"

#include "ui/foundation/Symbols.h"

#include <QIconEngine>
#include <QPixmap>

#include <memory>

namespace tavrilux {

namespace {

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
    constexpr auto kUmbrella = ui::symbolName("umbrella.fill");
    const ui::SymbolFont& symbols = ui::SymbolFont::shared();
    const auto glyph = ui::symbolGlyph(kUmbrella);
    if (!glyph || !symbols.draws(*glyph)) {
        return false;
    }
    // The table sizes symbols as text beside them: kScale pixels a point.
    const double size = square.height() * kSymbolScale / ui::SymbolFont::kScale;
    // A faint dark edge keeps the white symbol legible on light trays.
    symbols.draw(painter, square, kUmbrella, size, QColor(0, 0, 0, 90), ui::FontWeight::bold);
    symbols.draw(painter, square, kUmbrella, size, Qt::white);
    return true;
}

} // namespace tavrilux
