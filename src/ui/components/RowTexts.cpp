#include "ui/components/RowTexts.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/components/TextLabel.h"
#include "ui/foundation/Fonts.h"

namespace tavrilux::ui {

TextLabel* makeRowTitle(const QString& text) {
    return new TextLabel(text, uiFont(13, FontWeight::semibold),
                         UiColor::theme(TavriluxTheme::primaryText));
}

TextLabel* makeRowSubtitle(const QString& text) {
    return new TextLabel(text, uiFont(11), UiColor::theme(TavriluxTheme::secondaryText));
}

TextLabel* makeCaption(const QString& text) {
    return new TextLabel(text, uiFont(10), UiColor::theme(TavriluxTheme::secondaryText));
}

} // namespace tavrilux::ui
