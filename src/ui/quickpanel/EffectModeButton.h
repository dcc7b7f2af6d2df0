#pragma once

#include "core/settings/Enums.h"
#include "ui/quickpanel/SelectorButton.h"

namespace tavrilux::ui {

// An effect shape's button: its symbol and name, in its accent while it is the chosen shape.
class EffectModeButton final : public SelectorButton {
    Q_OBJECT
public:
    explicit EffectModeButton(EffectMode mode, QWidget* parent = nullptr);

    EffectMode mode() const { return mode_; }

private:
    EffectMode mode_;
};

} // namespace tavrilux::ui
