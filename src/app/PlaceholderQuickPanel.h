#pragma once

#include "app/ShellScreens.h"

#include <QWidget>

#include <memory>

namespace tavrilux {

// Stands in for the quick panel until the real one is built: the on/off state and the way to
// the settings window. Remove it once the panel factory builds the real panel.
std::unique_ptr<QWidget> makePlaceholderQuickPanel(const ui::UiContext& context,
                                                   QuickPanelActions actions);

} // namespace tavrilux
