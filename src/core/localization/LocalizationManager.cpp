#include "core/localization/LocalizationManager.h"

#include "core/defaults/DefaultsRegistry.h"
#include "core/localization/LanguageChoice.h"
#include "core/localization/StringsFileParser.h"

#include <algorithm>
#include <cstdlib>
#include <variant>

namespace tavrilux {

namespace {
std::unique_ptr<LocalizationManager>& sharedSlot() {
    static std::unique_ptr<LocalizationManager> slot;
    return slot;
}

// A code is used verbatim as a folder name, so one that could point outside the bundle names
// no language.
bool isPlainCode(const std::string& code) {
    return code.find('/') == std::string::npos && ResourceBundle::isSafeRelativePath(code);
}
} // namespace

LocalizationManager::LocalizationManager(std::shared_ptr<UserDefaults> defaults,
                                         std::shared_ptr<const ResourceBundle> resources,
                                         PreferredLanguages preferredLanguages, LogSink report)
    : store_(defaults ? std::make_unique<SettingsStore>(std::move(defaults)) : nullptr),
      resources_(resources ? std::move(resources) : std::make_shared<EmptyResourceBundle>()),
      preferredLanguages_(std::move(preferredLanguages)), report_(std::move(report)),
      localizations_(resources_->localizations()) {
    setLanguageOverride(store_ ? store_->loadLanguageOverride() : std::nullopt);
}

LocalizationManager& LocalizationManager::shared() {
    auto& slot = sharedSlot();
    if (!slot) {
        slot = std::make_unique<LocalizationManager>(
            SettingsStore::openDefaults(DefaultsRegistry::shared()), ResourceBundle::shared(), [] {
                return LanguageChoice::preferredLanguagesFromEnvironment(
                    [](const char* name) -> const char* { return std::getenv(name); });
            });
    }
    return *slot;
}

void LocalizationManager::installShared(std::unique_ptr<LocalizationManager> manager) {
    sharedSlot() = std::move(manager);
}

void LocalizationManager::setLanguageOverride(std::optional<std::string> code) {
    const bool changed = code != override_.get();
    override_.set(code);
    if (changed) {
        persist(code);
    }
}

Subscription LocalizationManager::observeLanguageOverride(
    std::function<void(const std::optional<std::string>&)> handler) {
    return override_.observe(std::move(handler));
}

void LocalizationManager::persist(const std::optional<std::string>& code) {
    if (store_) {
        store_->saveLanguageOverride(code);
    }
}

std::optional<std::string> LocalizationManager::systemChoice() const {
    std::vector<std::string> preferences;
    if (preferredLanguages_) {
        preferences = preferredLanguages_();
    }
    return LanguageChoice::preferredLocalization(localizations_, preferences);
}

std::string LocalizationManager::chosenLanguage() const {
    if (const auto& code = override_.get()) {
        return *code;
    }
    return systemChoice().value_or(kFallbackLanguage);
}

bool LocalizationManager::ships(const std::string& code) const {
    // Only a folder opens as a language; a plain file of that name is no table.
    return isPlainCode(code) &&
           std::find(localizations_.begin(), localizations_.end(), code) != localizations_.end();
}

std::string LocalizationManager::resolvedLanguage() const {
    if (std::string code = chosenLanguage(); ships(code)) {
        return code;
    }
    // The bundle itself: its own choice follows the preferred languages, whatever the override.
    if (std::string code = systemChoice().value_or(kFallbackLanguage); ships(code)) {
        return code;
    }
    return {};
}

const StringTable& LocalizationManager::bundle() const {
    const std::string code = resolvedLanguage();
    return code.empty() ? empty_ : table(code);
}

const StringTable& LocalizationManager::table(const std::string& code) const {
    if (auto it = tables_.find(code); it != tables_.end()) {
        return it->second;
    }
    const std::string path = code + ".lproj/" + kTableFile;
    StringTable loaded;
    if (auto text = resources_->readFile(path)) {
        auto result = StringsFileParser::parse(*text);
        if (auto* parsed = std::get_if<StringTable>(&result)) {
            loaded = std::move(*parsed);
        } else if (report_) {
            const auto& error = std::get<StringsParseError>(result);
            report_("[Localization] " + resources_->location() + "/" + path + ":" +
                    std::to_string(error.line) + ": " + error.message +
                    "; texts of this language show their keys");
        }
    }
    return tables_.emplace(code, std::move(loaded)).first->second;
}

std::string L(std::string_view key) {
    return LocalizationManager::shared().localizedString(key);
}

std::string withArgument(std::string text, std::string_view value) {
    if (const auto at = text.find("%@"); at != std::string::npos) {
        text.replace(at, 2, value);
    }
    return text;
}

} // namespace tavrilux
