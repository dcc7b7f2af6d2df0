#pragma once

#include "core/async/MainQueue.h"
#include "core/platform/RunningApplication.h"
#include "core/platform/Workspace.h"
#include "core/reactive/Published.h"
#include "core/reactive/Subject.h"
#include "core/reactive/Subscription.h"
#include "core/settings/DimmingConfiguration.h"
#include "core/settings/Enums.h"
#include "core/settings/OverlayColor.h"
#include "core/settings/SettingsStore.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <variant>

namespace tavrilux {

// The one live model of everything the user can set, shared by the engine and every screen.
//
// Each property is published: observers hear of an assignment before the value changes, and
// objectWillChange fires before any property changes (screens redraw from it). Properties are
// read and observed here and assigned through the setters, which decide what the change does:
// - isEnabled, effectMode, ambientFadeStart: save the configuration and send it on
//   configurationChangesSubject;
// - blurIntensity, tintIntensity, overlayColor, grainIntensity, appearanceDuration,
//   auraIntensity: also turn the active preset into FocusMode::custom;
// - multiScreenFocusMode, crashReportingEnabled: write their own key, send nothing;
// - activeMode, activeScreenID: nothing beyond the assignment.
// Every assignment runs its rule, also when the value does not change. While a preset is being
// applied the rules do nothing; applyMode saves and sends once at the end.
//
// frontmostApp follows the workspace's activation notifications, each assigned in a main-queue
// task that does nothing once the settings object is gone. The workspace and the main queue must
// outlive the settings object. Main thread only.
class DimmingSettings final {
public:
    // A published property of the settings object. Reading and observing are open to all;
    // assigning goes through the settings object's setter so that its rule runs.
    template <typename T> class Property final {
    public:
        using Handler = typename Published<T>::Handler;

        Property(const Property&) = delete;
        Property& operator=(const Property&) = delete;

        const T& get() const { return value_.get(); }
        operator const T&() const { return value_.get(); }
        // Later assignments, each before it is stored.
        [[nodiscard]] Subscription observe(Handler handler) {
            return value_.observe(std::move(handler));
        }
        // The current value at once, then every later assignment.
        [[nodiscard]] Subscription sink(Handler handler) { return value_.sink(std::move(handler)); }

    private:
        friend class DimmingSettings;
        explicit Property(T initial) : value_(std::move(initial)) {}
        Published<T> value_;
    };

    // Loads every property from the store; saves and sends nothing.
    static std::shared_ptr<DimmingSettings> create(std::shared_ptr<SettingsStore> store,
                                                   Workspace& workspace, MainQueue& mainQueue);

    DimmingSettings(const DimmingSettings&) = delete;
    DimmingSettings& operator=(const DimmingSettings&) = delete;
    ~DimmingSettings();

    // The look, clamped.
    DimmingConfiguration configuration() const;

    void setIsEnabled(bool value);
    void setBlurIntensity(double value);
    void setTintIntensity(double value);
    void setOverlayColor(const OverlayColor& value);
    void setGrainIntensity(double value);
    void setEffectMode(EffectMode value);
    void setAmbientFadeStart(double value);
    void setAuraIntensity(double value);
    void setAppearanceDuration(double value);
    void setActiveMode(FocusMode value);
    void setMultiScreenFocusMode(MultiScreenFocusMode value);
    void setCrashReportingEnabled(bool value);
    void setActiveScreenID(std::optional<std::uint32_t> value);

    // Sets the whole look of a preset at once, leaving isEnabled as it is; saves, persists the
    // mode and sends exactly one configuration. FocusMode::custom changes nothing.
    void applyMode(FocusMode mode);

    // Exclusion edits persist the whole resulting set and send nothing.
    void toggleExclusion(const std::string& bundleID);
    void removeExclusion(const std::string& bundleID);
    void toggleDisplayExclusion(const std::string& uuid);
    void removeDisplayExclusion(const std::string& uuid);

    SettingsStore& store() const { return *store_; }

    Property<bool> isEnabled;
    Property<double> blurIntensity;
    Property<double> tintIntensity;
    Property<OverlayColor> overlayColor;
    Property<double> grainIntensity;
    Property<EffectMode> effectMode;
    Property<double> ambientFadeStart;
    Property<double> auraIntensity;
    Property<double> appearanceDuration; // seconds
    Property<FocusMode> activeMode;
    Property<std::set<std::string>> excludedBundleIDs;
    Property<std::set<std::string>> excludedDisplayUUIDs;
    Property<MultiScreenFocusMode> multiScreenFocusMode;
    Property<bool> crashReportingEnabled;
    Property<std::optional<std::uint32_t>> activeScreenID;
    Property<std::optional<RunningApplication>> frontmostApp;

    // Fires before any published property changes.
    Subject<std::monostate> objectWillChange;
    // The configuration after every saved change; no memory.
    Subject<DimmingConfiguration> configurationChangesSubject;

private:
    DimmingSettings(std::shared_ptr<SettingsStore> store, const DimmingConfiguration& loaded,
                    const std::optional<RunningApplication>& frontmost);

    template <typename T> void assign(Property<T>& property, T value) {
        objectWillChange.send(std::monostate{});
        property.value_.set(std::move(value));
    }
    // Save and send, unless a batch is running.
    void configurationDidChange(bool markModeAsCustom);
    void editSet(Property<std::set<std::string>>& property, const std::string& id, bool toggle);

    std::shared_ptr<SettingsStore> store_;
    bool isUpdating_ = true;
    Subscription frontAppObserver_;
};

} // namespace tavrilux
