#include "ui/foundation/Appearance.h"

#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace tavrilux::ui {

Appearance appearanceOf(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128 ? Appearance::dark : Appearance::light;
}

Appearance appearanceOf(const QWidget* widget) {
    return widget ? appearanceOf(widget->palette()) : Appearance::light;
}

void forceAppearance(QWidget* window, Appearance appearance) {
    if (window) {
        window->setPalette(paletteFor(appearance));
    }
}

QPalette paletteFor(Appearance appearance) {
    const bool dark = appearance == Appearance::dark;
    const QColor window = dark ? QColor(30, 30, 33) : QColor(236, 236, 239);
    const QColor base = dark ? QColor(40, 40, 44) : QColor(255, 255, 255);
    const QColor text = dark ? QColor(255, 255, 255) : QColor(26, 28, 36);
    const QColor accent = dark ? QColor(10, 132, 255) : QColor(0, 122, 255);
    QPalette palette(text, window, window.lighter(120), window.darker(160), window.darker(120),
                     text, text, base, window);
    palette.setColor(QPalette::Highlight, accent);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::AlternateBase, dark ? base.lighter(110) : QColor(244, 245, 247));
    palette.setColor(QPalette::PlaceholderText,
                     dark ? QColor(255, 255, 255, 110) : QColor(0, 0, 0, 110));
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    return palette;
}

QColor toQColor(const Rgba& colour, double opacity) {
    QColor result;
    result.setRgbF(static_cast<float>(std::clamp(colour.red, 0.0, 1.0)),
                   static_cast<float>(std::clamp(colour.green, 0.0, 1.0)),
                   static_cast<float>(std::clamp(colour.blue, 0.0, 1.0)),
                   static_cast<float>(std::clamp(colour.alpha * opacity, 0.0, 1.0)));
    return result;
}

QColor resolve(const ThemeColor& colour, Appearance appearance, double opacity) {
    return toQColor(appearance == Appearance::dark ? colour.dark : colour.light, opacity);
}

QColor mixColours(const QColor& a, const QColor& b, qreal t) {
    const auto lerp = [t](float x, float y) { return static_cast<float>(x + (y - x) * t); };
    QColor c;
    c.setRgbF(lerp(a.redF(), b.redF()), lerp(a.greenF(), b.greenF()), lerp(a.blueF(), b.blueF()),
              lerp(a.alphaF(), b.alphaF()));
    return c;
}

int colourDistance(const QColor& a, const QColor& b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

QColor systemAccent(const QWidget* widget) {
    return widget ? widget->palette().color(QPalette::Highlight) : QColor(0, 122, 255);
}

QColor controlBackground(const QWidget* widget) {
    return widget ? widget->palette().color(QPalette::Base) : QColor(Qt::white);
}

QColor windowBackground(const QWidget* widget) {
    return widget ? widget->palette().color(QPalette::Window) : QColor(236, 236, 239);
}

} // namespace tavrilux::ui
