#pragma once

#include "core/theme/Rgba.h"
#include "core/theme/ThemeColor.h"
#include "ui/foundation/Appearance.h"

#include <QColor>

class QWidget;

namespace tavrilux::ui {

// A colour as a component names it: a theme colour (light or dark variant chosen when drawn), a
// fixed colour, or the platform accent; each at an opacity.
class UiColor final {
public:
    static UiColor theme(const ThemeColor& colour, double opacity = 1.0);
    static UiColor fixed(const Rgba& colour, double opacity = 1.0);
    static UiColor fixed(const QColor& colour);
    static UiColor accent(double opacity = 1.0);

    // The same colour with its opacity multiplied by `opacity`.
    UiColor times(double opacity) const;

    QColor resolve(const QWidget* widget) const;
    QColor resolve(Appearance appearance, const QColor& accent) const;

    friend bool operator==(const UiColor&, const UiColor&) = default;

private:
    enum class Kind { theme, fixed, accent };
    UiColor(Kind kind, ThemeColor colour, double opacity)
        : kind_(kind), colour_(colour), opacity_(opacity) {}

    Kind kind_;
    ThemeColor colour_; // fixed colours keep theirs in both variants
    double opacity_;
};

} // namespace tavrilux::ui
