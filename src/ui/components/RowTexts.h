#pragma once

#include <QString>

namespace tavrilux::ui {

class TextLabel;

// The texts every row is built from.
// 13-point semibold primary text.
TextLabel* makeRowTitle(const QString& text);
// 11-point regular secondary text.
TextLabel* makeRowSubtitle(const QString& text);
// 10-point regular secondary text, as under the ends of a slider.
TextLabel* makeCaption(const QString& text);

// The inset every row keeps around itself: 14 points left and right, 10 top and bottom.
inline constexpr int kRowInsetX = 14;
inline constexpr int kRowInsetY = 10;

} // namespace tavrilux::ui
