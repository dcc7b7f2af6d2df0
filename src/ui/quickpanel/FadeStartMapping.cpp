#include "ui/quickpanel/FadeStartMapping.h"

#include <algorithm>

namespace tavrilux::ui {

double fadeStartSliderValue(double stored) {
    return std::min(stored * 2.0, 1.0);
}

double fadeStartFromSlider(double slider) {
    if (slider <= 0) {
        return 0;
    }
    return std::min(slider, 1.0) * 0.5;
}

} // namespace tavrilux::ui
