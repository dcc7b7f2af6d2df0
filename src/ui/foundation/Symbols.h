#pragma once

#include "ui/foundation/Fonts.h"

#include <QFont>
#include <QString>

#include <optional>
#include <span>
#include <string_view>

class QColor;
class QPainter;
class QRectF;

namespace tavrilux::ui {

// Marks a literal symbol name in the sources, so the check that every name has a glyph finds
// it: write drawSymbol(p, r, symbolName("gearshape.fill"), ...), never a bare literal.
constexpr std::string_view symbolName(std::string_view name) {
    return name;
}

struct SymbolEntry final {
    std::string_view name; // the design's name, e.g. "gearshape.fill"
    char16_t glyph;        // its code point in the Material Icons font
    // A second glyph drawn small on the lower trailing corner, cut free of the first (a display
    // with a warning); 0 for none.
    char16_t badge = 0;
};

// Every symbol the interface draws.
std::span<const SymbolEntry> symbolTable();
// The table's entry for a symbol name; none for a name not in the table.
const SymbolEntry* symbolEntry(std::string_view name);
// The (first) glyph of a symbol name; none for a name not in the table.
std::optional<char16_t> symbolGlyph(std::string_view name);

// The symbol font, loaded once from its file. Without the file every symbol draws as a
// placeholder (an outlined rounded square), never as nothing and never as a crash.
class SymbolFont final {
public:
    // Glyphs are drawn this much larger than the text size they stand beside, so that they
    // match the text's visual weight.
    static constexpr qreal kScale = 1.2;

    explicit SymbolFont(const QString& fontFile);
    SymbolFont(const SymbolFont&) = delete;
    SymbolFont& operator=(const SymbolFont&) = delete;

    // The font of the installed package.
    static const SymbolFont& shared();

    bool isAvailable() const { return !family_.isEmpty(); }
    // The glyph exists in the font.
    bool draws(char16_t glyph) const;

    // Draws `name` centred in `box` at the size of `size`-point text. Heavier weights thicken the
    // outline. Unknown names and a missing font draw the placeholder.
    void draw(QPainter& painter, const QRectF& box, std::string_view name, qreal size,
              const QColor& colour, FontWeight weight = FontWeight::regular) const;
    // The size of what draw() inks for the same arguments (its placeholder's without the font).
    QSizeF inkSize(std::string_view name, qreal size,
                   FontWeight weight = FontWeight::regular) const;

private:
    QString family_;
};

// SymbolFont::shared().draw(...)
void drawSymbol(QPainter& painter, const QRectF& box, std::string_view name, qreal size,
                const QColor& colour, FontWeight weight = FontWeight::regular);

} // namespace tavrilux::ui
