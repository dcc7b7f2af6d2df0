#include "core/localization/LocalizationManager.h"
#include "core/localization/ModeDisplay.h"
#include "core/navigation/SettingsNavigation.h"
#include "core/navigation/SettingsTab.h"

#include "fakes/FakeResourceBundle.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
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

TEST_F(LocalizedModesAndTabsTest, NamesFollowTheLanguageAndFallBackToTheirKey) {
    EXPECT_EQ(displayName(FocusMode::custom), "Eigene");
    EXPECT_EQ(displayName(FocusMode::flow), "Flow");
    EXPECT_EQ(displayName(FocusMode::focus), "focus_mode_focus");
    EXPECT_EQ(displayName(FocusMode::evening), "focus_mode_evening");
    EXPECT_EQ(displayName(EffectMode::ambient), "Umgebung");
    EXPECT_EQ(displayName(EffectMode::aura), "effect_aura");
    EXPECT_EQ(displayName(EffectMode::fullscreen), "Vollbild");
    EXPECT_EQ(title(SettingsTab::general), "Allgemein");
    EXPECT_EQ(title(SettingsTab::exclusions), "Ausnahmen");
    EXPECT_EQ(title(SettingsTab::about), "settings_tab_about");
}

TEST(SettingsTabTest, TheSidebarListsThreeTabsAndNavigationStartsOnGeneral) {
    const std::array order{SettingsTab::general, SettingsTab::exclusions, SettingsTab::about};
    EXPECT_EQ(visibleSettingsTabs(), order);
    EXPECT_EQ(kAllSettingsTabs, order);
    for (const char* raw : {"Exclusions", " general", "", "about "}) {
        EXPECT_EQ(enumFromRaw<SettingsTab>(raw), std::nullopt) << '"' << raw << '"';
    }
    for (auto tab : order) {
        EXPECT_EQ(enumFromRaw<SettingsTab>(rawValue(tab)), tab);
    }
    EXPECT_EQ(SettingsNavigation().selectedTab.get(), SettingsTab::general);
}

} // namespace
} // namespace tavrilux
