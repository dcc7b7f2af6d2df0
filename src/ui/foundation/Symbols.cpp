#include "ui/foundation/Symbols.h"

#include <QColor>
#include <QFontDatabase>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>

#include <algorithm>
#include <array>

namespace tavrilux::ui {

namespace {

// The design's symbol names and the Material Icons glyph drawn for each.
constexpr std::array kSymbols{
    SymbolEntry{"app.dashed", 0xe3c2},                                    // crop_free
    SymbolEntry{"arrow.down.circle.fill", 0xf000},                        // download_for_offline
    SymbolEntry{"arrow.right", 0xe5c8},                                   // arrow_forward
    SymbolEntry{"checkmark", 0xe5ca},                                     // check
    SymbolEntry{"checkmark.circle.fill", 0xe86c},                         // check_circle
    SymbolEntry{"chevron.down", 0xe5cf},                                  // expand_more
    SymbolEntry{"display", 0xe30c},                                       // desktop_windows
    SymbolEntry{"display.trianglebadge.exclamationmark", 0xe30c, 0xe002}, // with warning
    SymbolEntry{"gearshape.fill", 0xe8b8},                                // settings
    SymbolEntry{"hand.raised.fill", 0xe764},                              // back_hand
    SymbolEntry{"info.circle.fill", 0xe88e},                              // info
    SymbolEntry{"macwindow", 0xe069},                                     // web_asset
    SymbolEntry{"minus.circle.fill", 0xe15c},                             // remove_circle
    SymbolEntry{"moon.stars.fill", 0xef44},                               // bedtime
    SymbolEntry{"rectangle.expand.vertical", 0xe94f},                     // expand
    SymbolEntry{"rectangle.on.rectangle", 0xe3e0},                        // filter_none
    SymbolEntry{"scope", 0xe1b3},                                         // gps_fixed
    SymbolEntry{"slider.horizontal.3", 0xe429},                           // tune
    SymbolEntry{"sparkles", 0xe65f},                                      // auto_awesome
    SymbolEntry{"sun.max.fill", 0xe518},                                  // light_mode
    SymbolEntry{"umbrella.fill", 0xeb3e},                                 // beach_access
    SymbolEntry{"wand.and.rays", 0xe663},                                 // auto_fix_high
    SymbolEntry{"xmark", 0xe5cd},                                         // close
};

qreal outlineWidth(FontWeight weight, qreal pixelSize) {
    switch (weight) {
    case FontWeight::regular:
        return 0;
    case FontWeight::medium:
        return pixelSize * 0.02;
    case FontWeight::semibold:
        return pixelSize * 0.035;
    case FontWeight::bold:
        return pixelSize * 0.05;
    }
    return 0;
}

// Outlines of glyphs at a pixel size, made once each.
QPainterPath glyphPath(const QString& family, char16_t glyph, int pixelSize) {
    static QHash<quint64, QPainterPath> cache;
    const quint64 key = (static_cast<quint64>(glyph) << 32) | static_cast<quint32>(pixelSize);
    auto it = cache.find(key);
    if (it == cache.end()) {
        QFont font(family);
        font.setPixelSize(pixelSize);
        font.setHintingPreference(QFont::PreferNoHinting);
        QPainterPath path;
        path.addText(0, 0, font, QString(QChar(glyph)));
        // centred on its ink, as symbols sit beside text
        path.translate(-path.boundingRect().center());
        it = cache.insert(key, path);
    }
    return *it;
}

// A glyph with a smaller one on its lower trailing corner, parted from it by a gap.
QPainterPath badgedGlyphPath(const QString& family, char16_t glyph, char16_t badge, int pixelSize) {
    static QHash<quint64, QPainterPath> cache;
    const quint64 key = (static_cast<quint64>(glyph) << 48) | (static_cast<quint64>(badge) << 32) |
                        static_cast<quint32>(pixelSize);
    auto it = cache.find(key);
    if (it == cache.end()) {
        const QPainterPath base = glyphPath(family, glyph, pixelSize);
        QPainterPath mark = glyphPath(family, badge, std::max(1, pixelSize * 11 / 20));
        const QRectF bounds = base.boundingRect();
        const QRectF markBounds = mark.boundingRect();
        mark.translate(bounds.right() - markBounds.right() + pixelSize * 0.08,
                       bounds.bottom() - markBounds.bottom() + pixelSize * 0.06);
        QPainterPathStroker gap;
        gap.setWidth(pixelSize * 0.2);
        gap.setJoinStyle(Qt::RoundJoin);
        QPainterPath cut = base.subtracted(gap.createStroke(mark).united(mark.simplified()));
        it = cache.insert(key, cut.united(mark).simplified());
    }
    return *it;
}

// All a symbol inks, centred on the origin: its glyphs and, for heavier weights, their outline
// thickened. One path, filled once, so a symbol drawn translucent shows no seams.
QPainterPath inkPath(const QString& family, const SymbolEntry& entry, qreal pixelSize,
                     FontWeight weight) {
    static QHash<QString, QPainterPath> cache;
    const int pixels = std::max(1, static_cast<int>(std::lround(pixelSize)));
    const QString key = QStringLiteral("%1|%2|%3|%4")
                            .arg(int(entry.glyph))
                            .arg(int(entry.badge))
                            .arg(pixels)
                            .arg(int(weight));
    auto it = cache.find(key);
    if (it == cache.end()) {
        QPainterPath path = entry.badge != 0
                                ? badgedGlyphPath(family, entry.glyph, entry.badge, pixels)
                                : glyphPath(family, entry.glyph, pixels);
        if (const qreal width = outlineWidth(weight, pixelSize); width > 0) {
            QPainterPathStroker outline;
            outline.setWidth(width);
            outline.setCapStyle(Qt::RoundCap);
            outline.setJoinStyle(Qt::RoundJoin);
            path = outline.createStroke(path).united(path);
        }
        it = cache.insert(key, path);
    }
    return *it;
}

} // namespace

std::span<const SymbolEntry> symbolTable() {
    return kSymbols;
}

const SymbolEntry* symbolEntry(std::string_view name) {
    auto it = std::find_if(kSymbols.begin(), kSymbols.end(),
                           [&](const SymbolEntry& e) { return e.name == name; });
    return it == kSymbols.end() ? nullptr : &*it;
}

std::optional<char16_t> symbolGlyph(std::string_view name) {
    const SymbolEntry* entry = symbolEntry(name);
    return entry ? std::optional<char16_t>(entry->glyph) : std::nullopt;
}

SymbolFont::SymbolFont(const QString& fontFile) {
    const int id = QFontDatabase::addApplicationFont(fontFile);
    if (id >= 0) {
        family_ = QFontDatabase::applicationFontFamilies(id).value(0);
    }
}

const SymbolFont& SymbolFont::shared() {
    static const SymbolFont font(QStringLiteral(TAVRILUX_SYMBOL_FONT));
    return font;
}

bool SymbolFont::draws(char16_t glyph) const {
    if (!isAvailable()) {
        return false;
    }
    QFont font(family_);
    font.setPixelSize(24);
    return QRawFont::fromFont(font).supportsCharacter(QChar(glyph));
}

void SymbolFont::draw(QPainter& painter, const QRectF& box, std::string_view name, qreal size,
                      const QColor& colour, FontWeight weight) const {
    const qreal pixelSize = size * kScale;
    const SymbolEntry* entry = symbolEntry(name);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (entry == nullptr || !isAvailable()) {
        // A rounded square outline of the glyph's size: visibly something missing.
        const qreal edge = pixelSize * 0.7;
        QRectF square(0, 0, edge, edge);
        square.moveCenter(box.center());
        painter.setPen(QPen(colour, std::max<qreal>(1, pixelSize * 0.08)));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(square, edge * 0.2, edge * 0.2);
        painter.restore();
        return;
    }
    painter.translate(box.center());
    painter.fillPath(inkPath(family_, *entry, pixelSize, weight), colour);
    painter.restore();
}

QSizeF SymbolFont::inkSize(std::string_view name, qreal size, FontWeight weight) const {
    const qreal pixelSize = size * kScale;
    const SymbolEntry* entry = symbolEntry(name);
    if (entry == nullptr || !isAvailable()) {
        const qreal edge = pixelSize * 0.7 + std::max<qreal>(1, pixelSize * 0.08);
        return QSizeF(edge, edge);
    }
    return inkPath(family_, *entry, pixelSize, weight).boundingRect().size();
}

void drawSymbol(QPainter& painter, const QRectF& box, std::string_view name, qreal size,
                const QColor& colour, FontWeight weight) {
    SymbolFont::shared().draw(painter, box, name, size, colour, weight);
}

} // namespace tavrilux::ui
