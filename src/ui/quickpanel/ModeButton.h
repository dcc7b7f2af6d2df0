#pragma once

#include "core/settings/Enums.h"
#include "ui/quickpanel/SelectorButton.h"

namespace tavrilux::ui {

// A preset's button: its symbol and name, in its accent while it is the active preset.
class ModeButton final : public SelectorButton {
    Q_OBJECT
public:
    explicit ModeButton(FocusMode mode, QWidget* parent = nullptr);

    FocusMode mode() const { return mode_; }

private:
    FocusMode mode_;
};

} // namespace tavrilux::ui
