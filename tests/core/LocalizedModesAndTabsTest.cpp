#include "core/localization/LocalizationManager.h"
#include "core/localization/ModeDisplay.h"
#include "core/navigation/SettingsNavigation.h"
#include "core/navigation/SettingsTab.h"
#include "core/theme/TavriluxTheme.h"

#include "fakes/FakeResourceBundle.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace tavrilux {
namespace {

// Installs a shared manager over one German table that lacks some keys on purpose.
class LocalizedModesAndTabsTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto bundle = std::make_shared<fakes::FakeResourceBundle>();
        bundle->addTable("de", "\"focus_mode_custom\" = \"Eigene\";\n"
                               "\"focus_mode_flow\" = \"Flow\";\n"
                               "\"effect_ambient\" = \"Umgebung\";\n"
                               "\"effect_fullscreen\" = \"Vollbild\";\n"
                               "\"settings_tab_general\" = \"Allgemein\";\n"
                               "\"settings_tab_exclusions\" = \"Ausnahmen\";\n");
        auto defaults = std::make_shared<UserDefaults>(std::make_unique<MemoryDomainStorage>());
        LocalizationManager::installShared(std::make_unique<LocalizationManager>(
            defaults, bundle, [] { return std::vector<std::string>{"de-AT"}; }));
    }
    void TearDown() override { LocalizationManager::installShared(nullptr); }
};

TEST_F(LocalizedModesAndTabsTest, ModeNamesComeFromTheirKeys) {
    EXPECT_EQ(displayName(FocusMode::custom), "Eigene");
    EXPECT_EQ(displayName(FocusMode::flow), "Flow");
    EXPECT_EQ(displayName(FocusMode::focus), "focus_mode_focus");
    EXPECT_EQ(displayName(FocusMode::evening), "focus_mode_evening");
    EXPECT_EQ(displayName(EffectMode::ambient), "Umgebung");
    EXPECT_EQ(displayName(EffectMode::aura), "effect_aura");
    EXPECT_EQ(displayName(EffectMode::fullscreen), "Vollbild");
}

TEST_F(LocalizedModesAndTabsTest, ModeSymbolsAndAccents) {
    EXPECT_EQ(systemImage(FocusMode::focus), "scope");
    EXPECT_EQ(systemImage(FocusMode::flow), "sparkles");
    EXPECT_EQ(systemImage(FocusMode::evening), "moon.stars.fill");
    EXPECT_EQ(systemImage(FocusMode::custom), "slider.horizontal.3");
    // Focus and custom share one blue; flow and evening have their own accents.
    EXPECT_EQ(accentColor(FocusMode::custom), accentColor(FocusMode::focus));
    EXPECT_EQ(accentColor(FocusMode::flow), TavriluxTheme::flowAccent);
    EXPECT_EQ(accentColor(FocusMode::evening), TavriluxTheme::eveningAccent);
}

TEST_F(LocalizedModesAndTabsTest, TabTitlesFollowTheLanguageAndFallBackToTheirKey) {
    EXPECT_EQ(title(SettingsTab::general), "Allgemein");
    EXPECT_EQ(title(SettingsTab::exclusions), "Ausnahmen");
    EXPECT_EQ(title(SettingsTab::about), "settings_tab_about");
}

TEST(SettingsTabTest, RawValuesAreExactAndTheSidebarListsThreeTabs) {
    const std::array order{SettingsTab::general, SettingsTab::exclusions, SettingsTab::about};
    EXPECT_EQ(visibleSettingsTabs(), order);
    EXPECT_EQ(kAllSettingsTabs, order);
    for (const char* raw : {"Exclusions", " general", "", "about "}) {
        EXPECT_EQ(enumFromRaw<SettingsTab>(raw), std::nullopt) << '"' << raw << '"';
    }
    for (auto tab : order) {
        EXPECT_EQ(enumFromRaw<SettingsTab>(rawValue(tab)), tab);
        EXPECT_EQ(titleKey(tab), "settings_tab_" + std::string(rawValue(tab)));
    }
    EXPECT_EQ(rawValue(SettingsTab::exclusions), "exclusions");
    EXPECT_EQ(systemImage(SettingsTab::general), "gearshape.fill");
    EXPECT_EQ(systemImage(SettingsTab::exclusions), "hand.raised.fill");
    EXPECT_EQ(systemImage(SettingsTab::about), "info.circle.fill");
    EXPECT_EQ(tileColor(SettingsTab::general), SystemColor::gray);
    EXPECT_EQ(tileColor(SettingsTab::exclusions), SystemColor::orange);
    EXPECT_EQ(tileColor(SettingsTab::about), SystemColor::blue);
}

TEST(SettingsNavigationTest, StartsOnGeneralAndNotifiesEveryAssignmentBeforeItIsStored) {
    SettingsNavigation navigation;
    EXPECT_EQ(navigation.selectedTab.get(), SettingsTab::general);
    std::vector<std::pair<SettingsTab, SettingsTab>> seen; // (new, still stored)
    auto token = navigation.selectedTab.observe(
        [&](const SettingsTab& next) { seen.emplace_back(next, navigation.selectedTab.get()); });
    navigation.selectedTab.set(SettingsTab::about);
    navigation.selectedTab.set(SettingsTab::about);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(SettingsTab::about, SettingsTab::general));
    EXPECT_EQ(seen[1], std::make_pair(SettingsTab::about, SettingsTab::about));
    EXPECT_EQ(navigation.selectedTab.get(), SettingsTab::about);
}

} // namespace
} // namespace tavrilux
