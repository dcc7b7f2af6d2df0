#pragma once

#include "core/theme/Rgba.h"
#include "core/theme/ThemeColor.h"

#include <QColor>
#include <QPalette>

class QWidget;

namespace tavrilux::ui {

enum class Appearance { light, dark };

// The opacity of a control that takes no input, every part of it alike.
constexpr qreal kDisabledOpacity = 0.45;

// The appearance a widget draws in: its palette's window colour decides (lightness below 128 is
// dark). A window that forces an appearance does so through its palette, so every widget inside
// follows and repaints through the palette change.
Appearance appearanceOf(const QWidget* widget);
Appearance appearanceOf(const QPalette& palette);
void forceAppearance(QWidget* window, Appearance appearance);
// A complete palette of one appearance, with the platform's blue as highlight.
QPalette paletteFor(Appearance appearance);

QColor toQColor(const Rgba& colour, double opacity = 1.0);
QColor resolve(const ThemeColor& colour, Appearance appearance, double opacity = 1.0);
// The colour `t` of the way from `a` to `b`, opacity included (a colour that springs).
QColor mixColours(const QColor& a, const QColor& b, qreal t);
// How far apart two colours look: the largest difference of one channel, 0 to 255.
int colourDistance(const QColor& a, const QColor& b);

// The platform's accent colour (the palette's highlight): the switch's track, the primary button.
QColor systemAccent(const QWidget* widget);
// Grouped content (the palette's base) and the window's own background.
QColor controlBackground(const QWidget* widget);
QColor windowBackground(const QWidget* widget);

} // namespace tavrilux::ui
