#include "ui/components/SectionLabel.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Fonts.h"

namespace tavrilux::ui {

SectionLabel::SectionLabel(const QString& title, QWidget* parent)
    : TextLabel(title, uiFont(11, FontWeight::semibold),
                UiColor::theme(TavriluxTheme::secondaryText), parent) {
    setUpperCase(true);
    setContentsMargins(2, 0, 2, 0);
}

} // namespace tavrilux::ui
