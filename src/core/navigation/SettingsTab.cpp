#include "core/navigation/SettingsTab.h"

#include "core/localization/LocalizationManager.h"

namespace tavrilux {

std::string_view titleKey(SettingsTab tab) {
    switch (tab) {
    case SettingsTab::general:
        return localizationKey("settings_tab_general");
    case SettingsTab::exclusions:
        return localizationKey("settings_tab_exclusions");
    case SettingsTab::about:
        return localizationKey("settings_tab_about");
    }
    return localizationKey("settings_tab_general");
}

std::string title(SettingsTab tab) {
    return L(titleKey(tab));
}

std::string_view systemImage(SettingsTab tab) {
    switch (tab) {
    case SettingsTab::general:
        return "gearshape.fill";
    case SettingsTab::exclusions:
        return "hand.raised.fill";
    case SettingsTab::about:
        return "info.circle.fill";
    }
    return "gearshape.fill";
}

SystemColor tileColor(SettingsTab tab) {
    switch (tab) {
    case SettingsTab::general:
        return SystemColor::gray;
    case SettingsTab::exclusions:
        return SystemColor::orange;
    case SettingsTab::about:
        return SystemColor::blue;
    }
    return SystemColor::gray;
}

} // namespace tavrilux
