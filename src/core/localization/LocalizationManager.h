#pragma once

#include "core/defaults/UserDefaults.h"
#include "core/diagnostics/StandardErrorLog.h"
#include "core/localization/StringTable.h"
#include "core/reactive/Published.h"
#include "core/resources/ResourceBundle.h"
#include "core/settings/SettingsStore.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrilux {

// Chooses the string table every visible text is looked up in: the language the user forced (the
// override, kept under "app.languageOverride"), else the best match between the shipped languages
// and the user's preferred languages, else "en". The choice is made anew at every lookup, so a
// new override applies to every text looked up afterwards. Main thread only.
class LocalizationManager final {
public:
    using PreferredLanguages = std::function<std::vector<std::string>()>;

    static constexpr const char* kTableFile = "Localizable.strings";
    static constexpr const char* kFallbackLanguage = "en";

    // Reads the stored override and assigns it through setLanguageOverride(), so a stored value
    // is written back once, unchanged. A malformed table is reported once through `report`.
    LocalizationManager(std::shared_ptr<UserDefaults> defaults,
                        std::shared_ptr<const ResourceBundle> resources,
                        PreferredLanguages preferredLanguages,
                        LogSink report = writeStandardErrorLine);
    LocalizationManager(const LocalizationManager&) = delete;
    LocalizationManager& operator=(const LocalizationManager&) = delete;

    // The process-wide instance, made on first use over the domain "com.mirtal.tavrilux" (the
    // standard domain when it cannot be opened), the shared resource bundle and the environment's
    // preferred languages.
    static LocalizationManager& shared();
    // Replaces the process-wide instance (composition root and tests).
    static void installShared(std::unique_ptr<LocalizationManager> manager);

    const std::optional<std::string>& languageOverride() const { return override_.get(); }
    // Every assignment notifies observers before it is stored; only a different value is
    // persisted (a value is written as text, none removes the key).
    void setLanguageOverride(std::optional<std::string> code);
    [[nodiscard]] Subscription
    observeLanguageOverride(std::function<void(const std::optional<std::string>&)> handler);

    // The code the choice lands on before any folder is checked: the override, else the best
    // match, else "en".
    std::string chosenLanguage() const;
    // The language whose table bundle() returns; empty when no shipped table serves.
    std::string resolvedLanguage() const;
    // The table to look texts up in. An override naming a language that is not shipped falls
    // back to the table the preferred languages choose; with none of those either, the table is
    // empty and every text shows its key.
    const StringTable& bundle() const;
    // bundle()'s text for the key, or the key itself.
    std::string localizedString(std::string_view key) const {
        return bundle().localizedString(key);
    }

private:
    std::optional<std::string> systemChoice() const;
    bool ships(const std::string& code) const;
    const StringTable& table(const std::string& code) const;
    void persist(const std::optional<std::string>& code);

    std::unique_ptr<SettingsStore> store_;
    std::shared_ptr<const ResourceBundle> resources_;
    PreferredLanguages preferredLanguages_;
    LogSink report_;
    Published<std::optional<std::string>> override_;
    std::vector<std::string> localizations_;
    mutable std::map<std::string, StringTable, std::less<>> tables_;
    StringTable empty_;
};

// The lookup every visible text goes through: the shared manager's table, the key as fallback.
std::string L(std::string_view key);

// A table's text with its "%@" filled in with `value`.
std::string withArgument(std::string text, std::string_view value);

// Marks a string literal as a lookup key that is passed on to L() later, so that checks of the
// shipped tables find it in the sources.
constexpr std::string_view localizationKey(std::string_view key) {
    return key;
}

} // namespace tavrilux
