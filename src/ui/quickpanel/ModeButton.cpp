#include "ui/quickpanel/ModeButton.h"

#include "core/localization/ModeDisplay.h"

namespace tavrilux::ui {

ModeButton::ModeButton(FocusMode mode, QWidget* parent)
    : SelectorButton(systemImage(mode), QString::fromStdString(displayName(mode)),
                     accentColor(mode), parent),
      mode_(mode) {}

} // namespace tavrilux::ui
