#pragma once

#include "core/settings/Enums.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tavrilux {

// The settings window's tabs, in sidebar order. The raw value is also the tab's id.
enum class SettingsTab { general, exclusions, about };

// The platform colours the sidebar fills a tab's tile with.
enum class SystemColor { gray, orange, blue };

inline constexpr std::array<SettingsTab, 3> kAllSettingsTabs{
    SettingsTab::general, SettingsTab::exclusions, SettingsTab::about};

constexpr std::string_view rawValue(SettingsTab tab) {
    switch (tab) {
    case SettingsTab::general:
        return "general";
    case SettingsTab::exclusions:
        return "exclusions";
    case SettingsTab::about:
        return "about";
    }
    return "general";
}

template <> constexpr std::optional<SettingsTab> enumFromRaw<SettingsTab>(std::string_view raw) {
    for (auto tab : kAllSettingsTabs) {
        if (rawValue(tab) == raw) {
            return tab;
        }
    }
    return std::nullopt;
}

// The tabs the sidebar shows; every tab there is.
constexpr const std::array<SettingsTab, 3>& visibleSettingsTabs() {
    return kAllSettingsTabs;
}

// "settings_tab_" followed by the raw value.
std::string_view titleKey(SettingsTab tab);
// Looked up anew on every call, so it follows a change of language at once.
std::string title(SettingsTab tab);
std::string_view systemImage(SettingsTab tab);
SystemColor tileColor(SettingsTab tab);

} // namespace tavrilux
