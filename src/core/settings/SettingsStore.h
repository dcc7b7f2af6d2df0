#pragma once

#include "core/defaults/DefaultsRegistry.h"
#include "core/defaults/UserDefaults.h"
#include "core/settings/DimmingConfiguration.h"
#include "core/settings/Enums.h"

#include <memory>
#include <optional>
#include <set>
#include <string>

namespace tavrilux {

// Typed reads and writes of the application's defaults domain (keys in SettingsKeys). Keeps no
// cache: every load reads the database and every save writes it. A missing value, or one of
// another type, reads as the key's default; nothing reports an error. Main thread only.
class SettingsStore final {
public:
    explicit SettingsStore(std::shared_ptr<UserDefaults> defaults);
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The application's domain from the registry, or its standard domain when the application's
    // cannot be opened.
    static std::shared_ptr<UserDefaults> openDefaults(DefaultsRegistry& registry);

    UserDefaults& defaults() const { return *defaults_; }

    // True until the on/off state has been saved once.
    bool isFirstLaunch() const;

    // The focus preset on a first launch; afterwards each key with its own default.
    DimmingConfiguration loadConfiguration() const;
    // Writes every key of the look, not the active mode.
    void save(const DimmingConfiguration& configuration);

    FocusMode loadMode() const;
    void saveMode(FocusMode mode);

    std::set<std::string> loadExcludedBundleIDs() const;
    void saveExcludedBundleIDs(const std::set<std::string>& ids);
    std::set<std::string> loadExcludedDisplayUUIDs() const;
    void saveExcludedDisplayUUIDs(const std::set<std::string>& uuids);

    MultiScreenFocusMode loadMultiScreenFocusMode() const;
    void saveMultiScreenFocusMode(MultiScreenFocusMode mode);

    bool loadCrashReportingEnabled() const;
    void saveCrashReportingEnabled(bool enabled);

    std::optional<std::string> loadLanguageOverride() const;
    // No value removes the key.
    void saveLanguageOverride(const std::optional<std::string>& code);

private:
    double loadDouble(std::string_view key, double fallback) const;
    std::set<std::string> loadStringSet(std::string_view key) const;
    void saveStringSet(std::string_view key, const std::set<std::string>& values);

    std::shared_ptr<UserDefaults> defaults_;
};

} // namespace tavrilux
