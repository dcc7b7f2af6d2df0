#pragma once

namespace tavrilux::ui {

// The ambient effect fades from the focused window over at most half of the way to the
// display's edge, so its fade start is stored from 0 to 0.5; the panel shows it on a slider from
// 0 to 1.

// The slider position of a stored fade start: twice the value, at most 1 (0.25 shows as 50 %).
double fadeStartSliderValue(double stored);
// The fade start to store for a slider position: 0 at or below 0, else half of it, at most 0.5.
double fadeStartFromSlider(double slider);

} // namespace tavrilux::ui
