#include "core/settings/SettingsStore.h"
#include "core/settings/FocusPresets.h"
#include "core/settings/SettingsKeys.h"
#include "fakes/FakeDomainStorage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tavrilux {
namespace {

using fakes::FakeDomainStorage;
using nlohmann::json;

// A store over an in-memory domain preloaded with `text`.
struct StoreOver {
    std::shared_ptr<FakeDomainStorage::State> state = std::make_shared<FakeDomainStorage::State>();
    std::shared_ptr<UserDefaults> defaults;
    SettingsStore store;

    explicit StoreOver(std::optional<std::string> text = std::nullopt)
        : defaults(makeDefaults(state, std::move(text))), store(defaults) {}

    static std::shared_ptr<UserDefaults>
    makeDefaults(const std::shared_ptr<FakeDomainStorage::State>& state,
                 std::optional<std::string> text) {
        state->text = std::move(text);
        return std::make_shared<UserDefaults>(std::make_unique<FakeDomainStorage>(state));
    }
};

const DimmingConfiguration kPerKeyDefaults(true, 0.0, 0.5, OverlayColor::black, 0.25,
                                           EffectMode::fullscreen, 0.5, 1.0, 0.35);

TEST(SettingsStoreTest, EmptyDomainIsAFirstLaunchWithTheFocusPreset) {
    StoreOver s;
    EXPECT_TRUE(s.store.isFirstLaunch());
    EXPECT_EQ(s.store.loadConfiguration(), *presetConfiguration(FocusMode::focus));
    EXPECT_EQ(s.store.loadMode(), FocusMode::focus);
    EXPECT_TRUE(s.store.loadExcludedBundleIDs().empty());
    EXPECT_TRUE(s.store.loadExcludedDisplayUUIDs().empty());
    EXPECT_EQ(s.store.loadMultiScreenFocusMode(), MultiScreenFocusMode::perScreen);
    EXPECT_TRUE(s.store.loadCrashReportingEnabled());
    EXPECT_EQ(s.store.loadLanguageOverride(), std::nullopt);

    // Without the on/off key no other look key is consulted.
    StoreOver first(R"({"dimming.tintIntensity": 0.9, "dimming.effectMode": "aura",
                        "dimming.activeMode": "evening"})");
    EXPECT_EQ(first.store.loadConfiguration(), *presetConfiguration(FocusMode::focus));
    EXPECT_EQ(first.store.loadMode(), FocusMode::evening) << "a valid stored mode always wins";
}

TEST(SettingsStoreTest, AfterFirstLaunchMissingKeysTakeTheirOwnDefaults) {
    StoreOver off(R"({"dimming.isEnabled": false})");
    EXPECT_FALSE(off.store.isFirstLaunch());
    auto expected = kPerKeyDefaults;
    expected.isEnabled = false;
    EXPECT_EQ(off.store.loadConfiguration(), expected);
    EXPECT_EQ(off.store.loadMode(), FocusMode::custom);

    StoreOver mistyped(R"({"dimming.isEnabled": "yes"})");
    EXPECT_FALSE(mistyped.store.isFirstLaunch()) << "a value of any type ends the first launch";
    EXPECT_EQ(mistyped.store.loadConfiguration(), kPerKeyDefaults);

    StoreOver numeric(R"({"dimming.isEnabled": 0})");
    EXPECT_FALSE(numeric.store.loadConfiguration().isEnabled);
}

TEST(SettingsStoreTest, LoadClampsIntensitiesButNotColours) {
    StoreOver s(R"({"dimming.isEnabled": true, "dimming.appearanceDuration": 0.1,
                    "dimming.tintIntensity": 3, "dimming.blurIntensity": -1,
                    "dimming.ambientFadeStart": 0.8, "dimming.overlayColor.red": 1.7,
                    "dimming.overlayColor.blue": -0.5})");
    const auto c = s.store.loadConfiguration();
    EXPECT_EQ(c.appearanceDuration, 0.25);
    EXPECT_EQ(c.tintIntensity, 1.0);
    EXPECT_EQ(c.blurIntensity, 0.0);
    EXPECT_EQ(c.ambientFadeStart, 0.8);
    EXPECT_EQ(c.overlayColor, (OverlayColor{1.7, 0.0, -0.5}));
}

TEST(SettingsStoreTest, ValuesOfAnotherTypeReadAsTheirDefaults) {
    StoreOver s(R"({"dimming.isEnabled": true, "dimming.blurIntensity": "0.8",
                    "dimming.grainIntensity": false, "dimming.effectMode": "Aura",
                    "dimming.auraIntensity": [0.5], "dimming.activeMode": "Flow",
                    "app.crashReportingEnabled": 2})");
    const auto c = s.store.loadConfiguration();
    EXPECT_EQ(c.blurIntensity, 0.0) << "a text that spells a number is no number";
    EXPECT_EQ(c.grainIntensity, 0.25);
    EXPECT_EQ(c.effectMode, EffectMode::fullscreen);
    EXPECT_EQ(c.auraIntensity, 0.35);
    EXPECT_EQ(s.store.loadMode(), FocusMode::custom);
    EXPECT_TRUE(s.store.loadCrashReportingEnabled());

    StoreOver numberMode(R"({"dimming.isEnabled": true, "dimming.effectMode": 3})");
    EXPECT_EQ(numberMode.store.loadConfiguration().effectMode, EffectMode::fullscreen);
}

TEST(SettingsStoreTest, SaveWritesTheElevenKeysAndEndsTheFirstLaunch) {
    StoreOver s;
    const DimmingConfiguration config(false, 0.2, 0.3, OverlayColor{0.1, 0.2, 0.3}, 0.4,
                                      EffectMode::aura, 0.6, 1.5, 0.7);
    s.store.save(config);
    EXPECT_FALSE(s.store.isFirstLaunch());
    EXPECT_EQ(s.store.loadConfiguration(), config);
    EXPECT_FALSE(s.defaults->hasValue(SettingsKeys::activeMode)) << "save leaves the mode alone";
    s.defaults->flush();
    const auto stored = json::parse(*s.state->stored());
    EXPECT_EQ(stored.size(), 11u);
    EXPECT_EQ(stored["dimming.isEnabled"], false);
    EXPECT_EQ(stored["dimming.effectMode"], "aura");
    EXPECT_EQ(stored["dimming.overlayColor.green"], 0.2);
    EXPECT_EQ(stored["dimming.appearanceDuration"], 1.5);
}

TEST(SettingsStoreTest, ModeRoundTripsAndUnknownModeIsCustomAfterFirstLaunch) {
    StoreOver s;
    s.store.saveMode(FocusMode::evening);
    EXPECT_EQ(s.store.loadMode(), FocusMode::evening);
    EXPECT_EQ(s.defaults->stringValue(SettingsKeys::activeMode), "evening");

    StoreOver unknown(R"({"dimming.isEnabled": true, "dimming.activeMode": "relax"})");
    EXPECT_EQ(unknown.store.loadMode(), FocusMode::custom);
    StoreOver unknownFirst(R"({"dimming.activeMode": "relax"})");
    EXPECT_EQ(unknownFirst.store.loadMode(), FocusMode::focus);
}

TEST(SettingsStoreTest, ExclusionSetsCollapseDuplicatesAndRejectAnythingButStringArrays) {
    StoreOver s(R"({"app.excludedBundleIDs": ["org.a", "org.b", "org.a"],
                    "app.excludedDisplayUUIDs": "ABCD"})");
    EXPECT_EQ(s.store.loadExcludedBundleIDs(), (std::set<std::string>{"org.a", "org.b"}));
    EXPECT_TRUE(s.store.loadExcludedDisplayUUIDs().empty());

    StoreOver mixed(R"({"app.excludedBundleIDs": ["org.a", 7]})");
    EXPECT_TRUE(mixed.store.loadExcludedBundleIDs().empty());

    s.store.saveExcludedDisplayUUIDs({"U-1", "U-2"});
    EXPECT_EQ(s.store.loadExcludedDisplayUUIDs(), (std::set<std::string>{"U-1", "U-2"}));
    s.store.saveExcludedBundleIDs({});
    EXPECT_EQ(s.defaults->stringArrayValue(SettingsKeys::excludedBundleIDs),
              std::vector<std::string>{});
    EXPECT_TRUE(s.store.isFirstLaunch()) << "exclusions do not end the first launch";
}

TEST(SettingsStoreTest, OnlyActiveScreenOnlyTextSelectsThatModeAndCrashReportingRoundTrips) {
    for (const char* stored : {R"("perScreen")", R"("")", R"("ActiveScreenOnly")", "1", "true"}) {
        StoreOver s(std::string(R"({"app.multiScreenFocusMode": )") + stored + "}");
        EXPECT_EQ(s.store.loadMultiScreenFocusMode(), MultiScreenFocusMode::perScreen) << stored;
    }
    StoreOver s;
    s.store.saveMultiScreenFocusMode(MultiScreenFocusMode::activeScreenOnly);
    EXPECT_EQ(s.store.loadMultiScreenFocusMode(), MultiScreenFocusMode::activeScreenOnly);
    EXPECT_EQ(s.defaults->stringValue(SettingsKeys::multiScreenFocusMode), "activeScreenOnly");
    s.store.saveCrashReportingEnabled(false);
    EXPECT_FALSE(s.store.loadCrashReportingEnabled());
    EXPECT_TRUE(s.store.isFirstLaunch()) << "neither key ends the first launch";
}

TEST(SettingsStoreTest, NoLanguageOverrideRemovesTheKey) {
    StoreOver s;
    s.store.saveLanguageOverride("de");
    EXPECT_EQ(s.store.loadLanguageOverride(), "de");
    s.store.saveLanguageOverride(std::nullopt);
    EXPECT_FALSE(s.defaults->hasValue(SettingsKeys::languageOverride));
    EXPECT_EQ(s.store.loadLanguageOverride(), std::nullopt);
    s.defaults->flush();
    EXPECT_FALSE(json::parse(*s.state->stored()).contains(SettingsKeys::languageOverride));

    StoreOver number(R"({"app.languageOverride": 42})");
    EXPECT_EQ(number.store.loadLanguageOverride(), "42") << "a number is read as its text";
}

} // namespace
} // namespace tavrilux
