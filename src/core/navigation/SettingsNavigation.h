#pragma once

#include "core/navigation/SettingsTab.h"
#include "core/reactive/Published.h"

namespace tavrilux {

// The tab the settings window shows. Every opener of the window that names a tab writes it here,
// and the window's sidebar is bound to it both ways. Not persisted: each launch starts on
// general. Main thread only.
class SettingsNavigation final {
public:
    SettingsNavigation() = default;
    SettingsNavigation(const SettingsNavigation&) = delete;
    SettingsNavigation& operator=(const SettingsNavigation&) = delete;

    // Observers hear of every assignment, also of the tab already selected, before it is stored.
    Published<SettingsTab> selectedTab{SettingsTab::general};
};

} // namespace tavrilux
