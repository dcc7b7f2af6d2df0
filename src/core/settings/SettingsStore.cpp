#include "core/settings/SettingsStore.h"

#include "core/settings/FocusPresets.h"
#include "core/settings/SettingsKeys.h"

#include <vector>

namespace tavrilux {

namespace {

// Per-key defaults; they apply once the first launch is over and differ from the focus preset.
constexpr bool kDefaultIsEnabled = true;
constexpr double kDefaultBlurIntensity = 0.0;
constexpr double kDefaultTintIntensity = 0.5;
constexpr double kDefaultColorComponent = 0.0;
constexpr double kDefaultGrainIntensity = 0.25;
constexpr EffectMode kDefaultEffectMode = EffectMode::fullscreen;
constexpr double kDefaultAmbientFadeStart = 0.5;
constexpr double kDefaultAuraIntensity = 0.35;
constexpr bool kDefaultCrashReportingEnabled = true;

// A stored text naming a case of Enum; none for any other value.
template <typename Enum>
std::optional<Enum> storedEnum(const UserDefaults& defaults, std::string_view key) {
    const auto raw = defaults.stringValue(key);
    return raw ? enumFromRaw<Enum>(*raw) : std::nullopt;
}

} // namespace

SettingsStore::SettingsStore(std::shared_ptr<UserDefaults> defaults)
    : defaults_(std::move(defaults)) {}

std::shared_ptr<UserDefaults> SettingsStore::openDefaults(DefaultsRegistry& registry) {
    return registry.suiteOrStandard(std::string(SettingsKeys::suiteName));
}

bool SettingsStore::isFirstLaunch() const {
    return !defaults_->hasValue(SettingsKeys::isEnabled);
}

double SettingsStore::loadDouble(std::string_view key, double fallback) const {
    return defaults_->doubleValue(key).value_or(fallback);
}

DimmingConfiguration SettingsStore::loadConfiguration() const {
    if (isFirstLaunch()) {
        return *presetConfiguration(FocusMode::focus);
    }
    const auto effectMode =
        storedEnum<EffectMode>(*defaults_, SettingsKeys::effectMode).value_or(kDefaultEffectMode);
    // The constructor clamps the intensities and the duration and keeps the colour as read.
    return DimmingConfiguration(
        defaults_->boolValue(SettingsKeys::isEnabled).value_or(kDefaultIsEnabled),
        loadDouble(SettingsKeys::blurIntensity, kDefaultBlurIntensity),
        loadDouble(SettingsKeys::tintIntensity, kDefaultTintIntensity),
        OverlayColor{loadDouble(SettingsKeys::overlayColorRed, kDefaultColorComponent),
                     loadDouble(SettingsKeys::overlayColorGreen, kDefaultColorComponent),
                     loadDouble(SettingsKeys::overlayColorBlue, kDefaultColorComponent)},
        loadDouble(SettingsKeys::grainIntensity, kDefaultGrainIntensity), effectMode,
        loadDouble(SettingsKeys::ambientFadeStart, kDefaultAmbientFadeStart),
        loadDouble(SettingsKeys::appearanceDuration,
                   DimmingConfiguration::defaultAppearanceDuration),
        loadDouble(SettingsKeys::auraIntensity, kDefaultAuraIntensity));
}

void SettingsStore::save(const DimmingConfiguration& configuration) {
    auto& d = *defaults_;
    d.setBool(SettingsKeys::isEnabled, configuration.isEnabled);
    d.setDouble(SettingsKeys::blurIntensity, configuration.blurIntensity);
    d.setDouble(SettingsKeys::tintIntensity, configuration.tintIntensity);
    d.setDouble(SettingsKeys::overlayColorRed, configuration.overlayColor.red);
    d.setDouble(SettingsKeys::overlayColorGreen, configuration.overlayColor.green);
    d.setDouble(SettingsKeys::overlayColorBlue, configuration.overlayColor.blue);
    d.setDouble(SettingsKeys::grainIntensity, configuration.grainIntensity);
    d.setString(SettingsKeys::effectMode, std::string(rawValue(configuration.effectMode)));
    d.setDouble(SettingsKeys::ambientFadeStart, configuration.ambientFadeStart);
    d.setDouble(SettingsKeys::appearanceDuration, configuration.appearanceDuration);
    d.setDouble(SettingsKeys::auraIntensity, configuration.auraIntensity);
}

FocusMode SettingsStore::loadMode() const {
    if (auto mode = storedEnum<FocusMode>(*defaults_, SettingsKeys::activeMode)) {
        return *mode;
    }
    return isFirstLaunch() ? FocusMode::focus : FocusMode::custom;
}

void SettingsStore::saveMode(FocusMode mode) {
    defaults_->setString(SettingsKeys::activeMode, std::string(rawValue(mode)));
}

std::set<std::string> SettingsStore::loadStringSet(std::string_view key) const {
    auto values = defaults_->stringArrayValue(key).value_or(std::vector<std::string>{});
    return std::set<std::string>(std::make_move_iterator(values.begin()),
                                 std::make_move_iterator(values.end()));
}

void SettingsStore::saveStringSet(std::string_view key, const std::set<std::string>& values) {
    defaults_->setStringArray(key, std::vector<std::string>(values.begin(), values.end()));
}

std::set<std::string> SettingsStore::loadExcludedBundleIDs() const {
    return loadStringSet(SettingsKeys::excludedBundleIDs);
}

void SettingsStore::saveExcludedBundleIDs(const std::set<std::string>& ids) {
    saveStringSet(SettingsKeys::excludedBundleIDs, ids);
}

std::set<std::string> SettingsStore::loadExcludedDisplayUUIDs() const {
    return loadStringSet(SettingsKeys::excludedDisplayUUIDs);
}

void SettingsStore::saveExcludedDisplayUUIDs(const std::set<std::string>& uuids) {
    saveStringSet(SettingsKeys::excludedDisplayUUIDs, uuids);
}

MultiScreenFocusMode SettingsStore::loadMultiScreenFocusMode() const {
    // Only the one other case counts; any other text means the default.
    return storedEnum<MultiScreenFocusMode>(*defaults_, SettingsKeys::multiScreenFocusMode) ==
                   MultiScreenFocusMode::activeScreenOnly
               ? MultiScreenFocusMode::activeScreenOnly
               : MultiScreenFocusMode::perScreen;
}

void SettingsStore::saveMultiScreenFocusMode(MultiScreenFocusMode mode) {
    defaults_->setString(SettingsKeys::multiScreenFocusMode, std::string(rawValue(mode)));
}

bool SettingsStore::loadCrashReportingEnabled() const {
    return defaults_->boolValue(SettingsKeys::crashReportingEnabled)
        .value_or(kDefaultCrashReportingEnabled);
}

void SettingsStore::saveCrashReportingEnabled(bool enabled) {
    defaults_->setBool(SettingsKeys::crashReportingEnabled, enabled);
}

std::optional<std::string> SettingsStore::loadLanguageOverride() const {
    return defaults_->stringValue(SettingsKeys::languageOverride);
}

void SettingsStore::saveLanguageOverride(const std::optional<std::string>& code) {
    if (code) {
        defaults_->setString(SettingsKeys::languageOverride, *code);
    } else {
        defaults_->remove(SettingsKeys::languageOverride);
    }
}

} // namespace tavrilux
