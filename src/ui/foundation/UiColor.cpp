#include "ui/foundation/UiColor.h"

namespace tavrilux::ui {

UiColor UiColor::theme(const ThemeColor& colour, double opacity) {
    return UiColor(Kind::theme, colour, opacity);
}

UiColor UiColor::fixed(const Rgba& colour, double opacity) {
    return UiColor(Kind::fixed, ThemeColor{colour, colour}, opacity);
}

UiColor UiColor::fixed(const QColor& colour) {
    const Rgba rgba{colour.redF(), colour.greenF(), colour.blueF(), colour.alphaF()};
    return fixed(rgba);
}

UiColor UiColor::accent(double opacity) {
    return UiColor(Kind::accent, ThemeColor{}, opacity);
}

UiColor UiColor::times(double opacity) const {
    return UiColor(kind_, colour_, opacity_ * opacity);
}

QColor UiColor::resolve(const QWidget* widget) const {
    return resolve(appearanceOf(widget), systemAccent(widget));
}

QColor UiColor::resolve(Appearance appearance, const QColor& accent) const {
    if (kind_ == Kind::accent) {
        QColor colour = accent;
        colour.setAlphaF(static_cast<float>(colour.alphaF() * opacity_));
        return colour;
    }
    return ui::resolve(colour_, appearance, opacity_);
}

} // namespace tavrilux::ui
