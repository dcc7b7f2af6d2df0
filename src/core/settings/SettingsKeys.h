#pragma once

#include <string_view>

namespace tavrilux {

// The keys of the application's defaults domain.
struct SettingsKeys final {
    SettingsKeys() = delete;

    static constexpr std::string_view suiteName = "com.mirtal.tavrilux";

    static constexpr std::string_view isEnabled = "dimming.isEnabled";
    static constexpr std::string_view blurIntensity = "dimming.blurIntensity";
    static constexpr std::string_view tintIntensity = "dimming.tintIntensity";
    static constexpr std::string_view overlayColorRed = "dimming.overlayColor.red";
    static constexpr std::string_view overlayColorGreen = "dimming.overlayColor.green";
    static constexpr std::string_view overlayColorBlue = "dimming.overlayColor.blue";
    static constexpr std::string_view grainIntensity = "dimming.grainIntensity";
    static constexpr std::string_view effectMode = "dimming.effectMode";
    static constexpr std::string_view ambientFadeStart = "dimming.ambientFadeStart";
    static constexpr std::string_view appearanceDuration = "dimming.appearanceDuration";
    static constexpr std::string_view auraIntensity = "dimming.auraIntensity";
    static constexpr std::string_view activeMode = "dimming.activeMode";

    static constexpr std::string_view excludedBundleIDs = "app.excludedBundleIDs";
    static constexpr std::string_view excludedDisplayUUIDs = "app.excludedDisplayUUIDs";
    static constexpr std::string_view multiScreenFocusMode = "app.multiScreenFocusMode";
    static constexpr std::string_view crashReportingEnabled = "app.crashReportingEnabled";
    static constexpr std::string_view languageOverride = "app.languageOverride";
};

} // namespace tavrilux
