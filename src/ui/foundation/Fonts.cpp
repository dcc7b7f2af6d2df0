#include "ui/foundation/Fonts.h"

#include <QFontDatabase>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace tavrilux::ui {

namespace {
QFont::Weight qtWeight(FontWeight weight) {
    switch (weight) {
    case FontWeight::regular:
        return QFont::Normal;
    case FontWeight::medium:
        return QFont::Medium;
    case FontWeight::semibold:
        return QFont::DemiBold;
    case FontWeight::bold:
        return QFont::Bold;
    }
    return QFont::Normal;
}

void setSize(QFont& font, qreal size) {
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
}
} // namespace

QFont uiFont(qreal size, FontWeight weight) {
    QFont font = QGuiApplication::font();
    setSize(font, size);
    font.setWeight(qtWeight(weight));
    font.setKerning(true);
    font.setHintingPreference(QFont::PreferVerticalHinting);
    return font;
}

QFont monospacedFont(qreal size, FontWeight weight) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    setSize(font, size);
    font.setWeight(qtWeight(weight));
    return font;
}

QFont emojiFont(qreal size) {
    QFont font(QStringLiteral("Noto Color Emoji"));
    setSize(font, size);
    return font;
}

} // namespace tavrilux::ui
