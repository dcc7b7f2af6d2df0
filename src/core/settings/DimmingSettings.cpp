#include "core/settings/DimmingSettings.h"

#include "core/settings/FocusPresets.h"

namespace tavrilux {

DimmingSettings::DimmingSettings(std::shared_ptr<SettingsStore> store,
                                 const DimmingConfiguration& loaded,
                                 const std::optional<RunningApplication>& frontmost)
    : isEnabled(loaded.isEnabled), blurIntensity(loaded.blurIntensity),
      tintIntensity(loaded.tintIntensity), overlayColor(loaded.overlayColor),
      grainIntensity(loaded.grainIntensity), effectMode(loaded.effectMode),
      ambientFadeStart(loaded.ambientFadeStart), auraIntensity(loaded.auraIntensity),
      appearanceDuration(loaded.appearanceDuration), activeMode(store->loadMode()),
      excludedBundleIDs(store->loadExcludedBundleIDs()),
      excludedDisplayUUIDs(store->loadExcludedDisplayUUIDs()),
      multiScreenFocusMode(store->loadMultiScreenFocusMode()),
      crashReportingEnabled(store->loadCrashReportingEnabled()), activeScreenID(std::nullopt),
      frontmostApp(frontmost), store_(std::move(store)) {
    isUpdating_ = false;
}

std::shared_ptr<DimmingSettings> DimmingSettings::create(std::shared_ptr<SettingsStore> store,
                                                         Workspace& workspace,
                                                         MainQueue& mainQueue) {
    const auto loaded = store->loadConfiguration();
    std::shared_ptr<DimmingSettings> settings(
        new DimmingSettings(std::move(store), loaded, workspace.frontmostApplication()));

    std::weak_ptr<DimmingSettings> weak = settings;
    settings->frontAppObserver_ = workspace.onApplicationActivated(
        [weak, &mainQueue](const std::optional<RunningApplication>& app) {
            mainQueue.post([weak, app] {
                if (auto self = weak.lock()) {
                    self->assign(self->frontmostApp, app);
                }
            });
        });
    return settings;
}

DimmingSettings::~DimmingSettings() {
    frontAppObserver_.cancel();
}

DimmingConfiguration DimmingSettings::configuration() const {
    return DimmingConfiguration(isEnabled.get(), blurIntensity.get(), tintIntensity.get(),
                                overlayColor.get(), grainIntensity.get(), effectMode.get(),
                                ambientFadeStart.get(), appearanceDuration.get(),
                                auraIntensity.get());
}

void DimmingSettings::configurationDidChange(bool markModeAsCustom) {
    if (isUpdating_) {
        return;
    }
    if (markModeAsCustom && activeMode.get() != FocusMode::custom) {
        assign(activeMode, FocusMode::custom);
        store_->saveMode(FocusMode::custom);
    }
    const auto current = configuration();
    store_->save(current);
    configurationChangesSubject.send(current);
}

void DimmingSettings::setIsEnabled(bool value) {
    assign(isEnabled, value);
    configurationDidChange(false);
}

void DimmingSettings::setEffectMode(EffectMode value) {
    assign(effectMode, value);
    configurationDidChange(false);
}

void DimmingSettings::setAmbientFadeStart(double value) {
    assign(ambientFadeStart, value);
    configurationDidChange(false);
}

void DimmingSettings::setBlurIntensity(double value) {
    assign(blurIntensity, value);
    configurationDidChange(true);
}

void DimmingSettings::setTintIntensity(double value) {
    assign(tintIntensity, value);
    configurationDidChange(true);
}

void DimmingSettings::setOverlayColor(const OverlayColor& value) {
    assign(overlayColor, value);
    configurationDidChange(true);
}

void DimmingSettings::setGrainIntensity(double value) {
    assign(grainIntensity, value);
    configurationDidChange(true);
}

void DimmingSettings::setAuraIntensity(double value) {
    assign(auraIntensity, value);
    configurationDidChange(true);
}

void DimmingSettings::setAppearanceDuration(double value) {
    assign(appearanceDuration, value);
    configurationDidChange(true);
}

void DimmingSettings::setActiveMode(FocusMode value) {
    assign(activeMode, value);
}

void DimmingSettings::setMultiScreenFocusMode(MultiScreenFocusMode value) {
    assign(multiScreenFocusMode, value);
    store_->saveMultiScreenFocusMode(value);
}

void DimmingSettings::setCrashReportingEnabled(bool value) {
    assign(crashReportingEnabled, value);
    store_->saveCrashReportingEnabled(value);
}

void DimmingSettings::setActiveScreenID(std::optional<std::uint32_t> value) {
    assign(activeScreenID, value);
}

void DimmingSettings::applyMode(FocusMode mode) {
    const auto preset = presetConfiguration(mode);
    if (!preset) {
        return;
    }
    isUpdating_ = true;
    setEffectMode(preset->effectMode);
    setAmbientFadeStart(preset->ambientFadeStart);
    setAuraIntensity(preset->auraIntensity);
    setBlurIntensity(preset->blurIntensity);
    setTintIntensity(preset->tintIntensity);
    setOverlayColor(preset->overlayColor);
    setGrainIntensity(preset->grainIntensity);
    setAppearanceDuration(preset->appearanceDuration);
    setActiveMode(mode);
    isUpdating_ = false;

    const auto current = configuration();
    store_->save(current);
    store_->saveMode(mode);
    configurationChangesSubject.send(current);
}

void DimmingSettings::editSet(Property<std::set<std::string>>& property, const std::string& id,
                              bool toggle) {
    auto values = property.get();
    if (values.erase(id) == 0 && toggle) {
        values.insert(id);
    }
    assign(property, values);
    if (&property == &excludedBundleIDs) {
        store_->saveExcludedBundleIDs(values);
    } else {
        store_->saveExcludedDisplayUUIDs(values);
    }
}

void DimmingSettings::toggleExclusion(const std::string& bundleID) {
    editSet(excludedBundleIDs, bundleID, true);
}

void DimmingSettings::removeExclusion(const std::string& bundleID) {
    editSet(excludedBundleIDs, bundleID, false);
}

void DimmingSettings::toggleDisplayExclusion(const std::string& uuid) {
    editSet(excludedDisplayUUIDs, uuid, true);
}

void DimmingSettings::removeDisplayExclusion(const std::string& uuid) {
    editSet(excludedDisplayUUIDs, uuid, false);
}

} // namespace tavrilux
