#include "core/localization/LocalizationManager.h"
#include "core/settings/SettingsKeys.h"

#include "fakes/FakeResourceBundle.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tavrilux {
namespace {

using fakes::FakeResourceBundle;

class LocalizationManagerTest : public ::testing::Test {
protected:
    LocalizationManagerTest() {
        bundle->addTable("en", "\"settings\" = \"Settings\";\n\"quit\" = \"Quit\";");
        bundle->addTable("fr", "\"settings\" = \"Réglages\";\n\"quit\" = \"Quitter\";");
        bundle->addTable("de", "\"settings\" = \"Einstellungen\";");
    }

    std::unique_ptr<LocalizationManager> make() {
        return std::make_unique<LocalizationManager>(
            defaults, bundle, [this] { return preferences; },
            [this](std::string_view line) { reports.emplace_back(line); });
    }

    std::shared_ptr<UserDefaults> defaults =
        std::make_shared<UserDefaults>(std::make_unique<MemoryDomainStorage>());
    std::shared_ptr<FakeResourceBundle> bundle = std::make_shared<FakeResourceBundle>();
    std::vector<std::string> preferences;
    std::vector<std::string> reports;
};

TEST_F(LocalizationManagerTest, OverrideThenPreferencesThenEnglishChooseTheTableOfEachLookup) {
    const struct {
        std::vector<std::string> preferences;
        std::optional<std::string> override;
        const char *chosen, *resolved, *settings, *quit;
    } cases[] = {
        {{"fr-FR", "en"}, std::nullopt, "fr", "fr", "Réglages", "Quitter"},
        {{"ja-JP"}, std::nullopt, "en", "en", "Settings", "Quit"},
        {{}, std::nullopt, "en", "en", "Settings", "Quit"},
        // A key the German table lacks shows as the key, not as another language's text.
        {{"fr"}, "de", "de", "de", "Einstellungen", "quit"},
        // An override naming a language not shipped leaves the choice to the preferences.
        {{"fr-CA"}, "it", "it", "fr", "Réglages", "Quitter"},
        {{}, "it", "it", "en", "Settings", "Quit"},
    };
    auto manager = make();
    EXPECT_FALSE(defaults->hasValue(SettingsKeys::languageOverride)) << "starting writes nothing";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        preferences = c.preferences;
        manager->setLanguageOverride(c.override);
        EXPECT_EQ(manager->chosenLanguage(), c.chosen);
        EXPECT_EQ(manager->resolvedLanguage(), c.resolved);
        EXPECT_EQ(manager->localizedString("settings"), c.settings);
        EXPECT_EQ(manager->localizedString("quit"), c.quit);
    }
}

TEST_F(LocalizationManagerTest, OverrideCannotReachOutsideTheBundleOrNameAFile) {
    bundle->addFile("secret/Localizable.strings", "\"settings\" = \"leaked\";");
    bundle->addTable("x/../fr", "");
    bundle->addFile("it.lproj", "\"settings\" = \"Impostazioni\";"); // a file, not a folder
    preferences = {"en"};
    auto manager = make();
    for (const char* code : {"../secret", "fr/..", "..", ".", "", "x/../fr", "it"}) {
        manager->setLanguageOverride(code);
        EXPECT_EQ(manager->localizedString("settings"), "Settings") << code;
    }
}

TEST_F(LocalizationManagerTest, FolderWithoutTableOrNoShippedLanguageShowsKeys) {
    bundle->addFolder("it.lproj");
    preferences = {"it"};
    auto manager = make();
    EXPECT_EQ(manager->resolvedLanguage(), "it");
    EXPECT_EQ(manager->localizedString("settings"), "settings");
    EXPECT_TRUE(reports.empty()) << "a missing table is no fault";

    bundle = std::make_shared<FakeResourceBundle>();
    preferences = {"en"};
    auto bare = make();
    EXPECT_EQ(bare->resolvedLanguage(), "");
    EXPECT_EQ(bare->localizedString("settings"), "settings");
}

TEST_F(LocalizationManagerTest, MalformedTableShowsKeysAndIsReportedOnce) {
    bundle->addTable("fr", "\"settings\" = \"Réglages\";\n\"quit\" = \"Quitter\"\n");
    preferences = {"fr"};
    auto manager = make();
    EXPECT_EQ(manager->localizedString("settings"), "settings");
    EXPECT_EQ(manager->localizedString("quit"), "quit");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("fr.lproj/Localizable.strings:3"), std::string::npos) << reports[0];
    EXPECT_EQ(bundle->readCount("fr.lproj/Localizable.strings"), 1);
}

TEST_F(LocalizationManagerTest, OnlyAChangedOverrideIsStoredButEveryAssignmentNotifiesFirst) {
    defaults->setDouble(SettingsKeys::languageOverride, 7);
    auto manager = make();
    EXPECT_EQ(manager->languageOverride(), std::optional<std::string>("7"));
    EXPECT_EQ(defaults->object(SettingsKeys::languageOverride), nlohmann::json("7"))
        << "a stored number is written back as text";

    // Changed behind the manager's back: a write would overwrite the marker.
    defaults->setString(SettingsKeys::languageOverride, "marker");
    std::vector<std::pair<std::optional<std::string>, std::optional<std::string>>> seen;
    auto token = manager->observeLanguageOverride([&](const std::optional<std::string>& next) {
        seen.emplace_back(next, manager->languageOverride());
    });
    manager->setLanguageOverride("7");
    EXPECT_EQ(defaults->stringValue(SettingsKeys::languageOverride), "marker");
    manager->setLanguageOverride("de");
    EXPECT_EQ(defaults->stringValue(SettingsKeys::languageOverride), "de");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1],
              std::make_pair(std::optional<std::string>("de"), std::optional<std::string>("7")))
        << "observers hear before the store";

    manager->setLanguageOverride(std::nullopt);
    EXPECT_FALSE(defaults->hasValue(SettingsKeys::languageOverride));
    defaults->setString(SettingsKeys::languageOverride, "marker");
    manager->setLanguageOverride(std::nullopt);
    EXPECT_EQ(defaults->stringValue(SettingsKeys::languageOverride), "marker");
}

TEST_F(LocalizationManagerTest, LookupGoesThroughTheSharedInstance) {
    preferences = {"de"};
    LocalizationManager::installShared(make());
    EXPECT_EQ(L("settings"), "Einstellungen");
    EXPECT_EQ(L("no_such_key"), "no_such_key");
    LocalizationManager::shared().setLanguageOverride("fr");
    EXPECT_EQ(L("settings"), "Réglages");
    LocalizationManager::installShared(nullptr);
}

} // namespace
} // namespace tavrilux
