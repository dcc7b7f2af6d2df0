#include "core/settings/DimmingSettings.h"
#include "core/settings/FocusPresets.h"
#include "core/settings/SettingsKeys.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/VirtualMainQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrilux {
namespace {

RunningApplication app(int pid, const char* bundle) {
    RunningApplication a;
    a.processIdentifier = pid;
    a.bundleIdentifier = bundle;
    a.localizedName = bundle;
    return a;
}

class DimmingSettingsTest : public testing::Test {
protected:
    std::shared_ptr<UserDefaults> defaults =
        std::make_shared<UserDefaults>(std::make_unique<MemoryDomainStorage>());
    std::shared_ptr<SettingsStore> store = std::make_shared<SettingsStore>(defaults);
    fakes::FakeWorkspace workspace;
    fakes::VirtualMainQueue mainQueue;
    std::shared_ptr<DimmingSettings> settings;
    std::vector<DimmingConfiguration> sent;
    SubscriptionSet subscriptions;

    void create() {
        settings = DimmingSettings::create(store, workspace, mainQueue);
        subscriptions.insert(settings->configurationChangesSubject.subscribe(
            [this](const DimmingConfiguration& c) { sent.push_back(c); }));
    }
    // A domain that has been used before: every key of the look stored, with this mode.
    void createAfterFirstLaunch(FocusMode mode) {
        store->save(*presetConfiguration(FocusMode::focus));
        store->saveMode(mode);
        create();
    }
};

TEST_F(DimmingSettingsTest, CreationLoadsEverythingAndSavesOrSendsNothing) {
    store->saveExcludedBundleIDs({"org.example.editor"});
    store->saveMultiScreenFocusMode(MultiScreenFocusMode::activeScreenOnly);
    store->saveCrashReportingEnabled(false);
    workspace.setFrontmost(app(42, "org.example.term"));
    create();

    EXPECT_EQ(settings->configuration(), *presetConfiguration(FocusMode::focus));
    EXPECT_EQ(settings->activeMode.get(), FocusMode::focus);
    EXPECT_EQ(settings->excludedBundleIDs.get(), std::set<std::string>{"org.example.editor"});
    EXPECT_EQ(settings->multiScreenFocusMode.get(), MultiScreenFocusMode::activeScreenOnly);
    EXPECT_FALSE(settings->crashReportingEnabled.get());
    EXPECT_EQ(settings->activeScreenID.get(), std::nullopt);
    EXPECT_EQ(settings->frontmostApp.get(), app(42, "org.example.term"));
    EXPECT_TRUE(store->isFirstLaunch()) << "creation must not end the first launch";
    EXPECT_FALSE(defaults->hasValue(SettingsKeys::activeMode));
    EXPECT_TRUE(sent.empty());
}

TEST_F(DimmingSettingsTest, LookChangesMarkCustomWhileShapeAndOnOffKeepThePreset) {
    const std::vector<std::pair<std::function<void(DimmingSettings&)>, bool>> writes{
        {[](DimmingSettings& s) { s.setBlurIntensity(0.2); }, true},
        {[](DimmingSettings& s) { s.setTintIntensity(0.2); }, true},
        {[](DimmingSettings& s) { s.setOverlayColor(OverlayColor::sky); }, true},
        {[](DimmingSettings& s) { s.setGrainIntensity(0.2); }, true},
        {[](DimmingSettings& s) { s.setAppearanceDuration(1.2); }, true},
        {[](DimmingSettings& s) { s.setAuraIntensity(0.2); }, true},
        {[](DimmingSettings& s) { s.setEffectMode(EffectMode::fullscreen); }, false},
        {[](DimmingSettings& s) { s.setAmbientFadeStart(0.3); }, false},
        {[](DimmingSettings& s) { s.setIsEnabled(false); }, false},
    };
    createAfterFirstLaunch(FocusMode::focus);
    for (std::size_t i = 0; i < writes.size(); ++i) {
        settings->applyMode(FocusMode::evening);
        sent.clear();
        writes[i].first(*settings);
        const FocusMode mode = writes[i].second ? FocusMode::custom : FocusMode::evening;
        EXPECT_EQ(settings->activeMode.get(), mode) << i;
        EXPECT_EQ(store->loadMode(), mode) << i;
        ASSERT_EQ(sent.size(), 1u) << i;
        EXPECT_EQ(sent[0], settings->configuration()) << i;
        EXPECT_NE(sent[0], *presetConfiguration(FocusMode::evening)) << i;
        EXPECT_EQ(store->loadConfiguration(), settings->configuration()) << i;
    }
    settings->setTintIntensity(settings->tintIntensity.get());
    EXPECT_EQ(sent.size(), 2u) << "assigning the same value still sends";
}

TEST_F(DimmingSettingsTest, ConfigurationClampsWhatThePropertiesHold) {
    createAfterFirstLaunch(FocusMode::custom);
    settings->setBlurIntensity(1.8);
    settings->setAppearanceDuration(0.01);
    EXPECT_EQ(settings->blurIntensity.get(), 1.8) << "the property keeps what was assigned";
    EXPECT_EQ(settings->configuration().blurIntensity, 1.0);
    EXPECT_EQ(sent.back().appearanceDuration, 0.25);
    EXPECT_EQ(store->loadConfiguration().appearanceDuration, 0.25);
}

TEST_F(DimmingSettingsTest, ApplyModeIsOneBatchThatLeavesTheOnOffStateAlone) {
    createAfterFirstLaunch(FocusMode::focus);
    settings->setIsEnabled(false);
    sent.clear();
    std::vector<FocusMode> modesSeen;
    auto token = settings->activeMode.observe([&](const FocusMode& m) { modesSeen.push_back(m); });

    settings->applyMode(FocusMode::evening);

    auto expected = *presetConfiguration(FocusMode::evening);
    expected.isEnabled = false;
    EXPECT_EQ(settings->configuration(), expected);
    EXPECT_EQ(settings->activeMode.get(), FocusMode::evening);
    EXPECT_EQ(modesSeen, std::vector<FocusMode>{FocusMode::evening}) << "never passes custom";
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], expected);
    EXPECT_EQ(store->loadConfiguration(), expected);
    EXPECT_EQ(store->loadMode(), FocusMode::evening);

    settings->applyMode(FocusMode::evening);
    EXPECT_EQ(sent.size(), 2u) << "applying the active preset again still sends";
}

TEST_F(DimmingSettingsTest, ObserversHearBeforeTheValueChangesAndTheStreamAfterTheSave) {
    createAfterFirstLaunch(FocusMode::custom);
    std::vector<std::string> events;
    auto a = settings->objectWillChange.subscribe([&](const std::monostate&) {
        events.push_back("willChange tint=" + std::to_string(settings->tintIntensity.get()));
    });
    auto b = settings->tintIntensity.observe([&](const double& next) {
        events.push_back("tint " + std::to_string(settings->tintIntensity.get()) + "->" +
                         std::to_string(next));
    });
    auto c = settings->configurationChangesSubject.subscribe([&](const DimmingConfiguration& cfg) {
        events.push_back("sent tint=" + std::to_string(cfg.tintIntensity) +
                         " stored=" + std::to_string(store->loadConfiguration().tintIntensity));
    });
    settings->setTintIntensity(0.25);
    EXPECT_EQ(events,
              (std::vector<std::string>{"willChange tint=0.700000", "tint 0.700000->0.250000",
                                        "sent tint=0.250000 stored=0.250000"}));
}

TEST_F(DimmingSettingsTest, ExclusionTogglesPersistTheWholeSetAndSendNothing) {
    createAfterFirstLaunch(FocusMode::focus);
    std::vector<std::set<std::string>> seen;
    auto token = settings->excludedBundleIDs.observe(
        [&](const std::set<std::string>& s) { seen.push_back(s); });

    settings->toggleExclusion("org.example.Editor");
    settings->toggleExclusion("org.example.editor");
    EXPECT_EQ(store->loadExcludedBundleIDs(),
              (std::set<std::string>{"org.example.Editor", "org.example.editor"}))
        << "ids compare case-sensitively";
    settings->toggleExclusion("org.example.editor");
    EXPECT_EQ(settings->excludedBundleIDs.get(), std::set<std::string>{"org.example.Editor"});
    EXPECT_EQ(store->loadExcludedBundleIDs(), std::set<std::string>{"org.example.Editor"});
    settings->removeExclusion("org.example.Editor");
    settings->removeExclusion("org.example.Editor");
    EXPECT_TRUE(store->loadExcludedBundleIDs().empty());
    EXPECT_EQ(seen.size(), 5u) << "every operation publishes, even one that changes nothing";
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(settings->activeMode.get(), FocusMode::focus);
}

TEST_F(DimmingSettingsTest, DisplayExclusionsUseTheirOwnKey) {
    create();
    settings->toggleDisplayExclusion("UUID-A");
    EXPECT_EQ(store->loadExcludedDisplayUUIDs(), std::set<std::string>{"UUID-A"});
    EXPECT_FALSE(defaults->hasValue(SettingsKeys::excludedBundleIDs));
    settings->removeDisplayExclusion("UUID-B");
    EXPECT_EQ(defaults->stringArrayValue(SettingsKeys::excludedDisplayUUIDs),
              std::vector<std::string>{"UUID-A"});
    settings->toggleDisplayExclusion("UUID-A");
    EXPECT_EQ(defaults->stringArrayValue(SettingsKeys::excludedDisplayUUIDs),
              std::vector<std::string>{});
    EXPECT_TRUE(store->isFirstLaunch());
    EXPECT_TRUE(sent.empty());
}

TEST_F(DimmingSettingsTest, OtherSettingsWriteAtOnceAndRuntimeStateNotAtAllNeitherSends) {
    create();
    int willChange = 0;
    auto token = settings->objectWillChange.subscribe([&](const std::monostate&) { ++willChange; });
    settings->setActiveScreenID(7u);
    settings->setActiveMode(FocusMode::flow);
    EXPECT_EQ(settings->activeScreenID.get(), 7u);
    EXPECT_EQ(willChange, 2);
    EXPECT_FALSE(defaults->hasValue(SettingsKeys::activeMode));
    EXPECT_TRUE(store->isFirstLaunch());

    settings->setMultiScreenFocusMode(MultiScreenFocusMode::activeScreenOnly);
    EXPECT_EQ(defaults->stringValue(SettingsKeys::multiScreenFocusMode), "activeScreenOnly");
    settings->setCrashReportingEnabled(false);
    EXPECT_EQ(defaults->boolValue(SettingsKeys::crashReportingEnabled), false);
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(settings->activeMode.get(), FocusMode::flow);
}

TEST_F(DimmingSettingsTest, ActivationsReachFrontmostAppThroughTheMainQueue) {
    workspace.setFrontmost(app(1, "org.example.a"));
    create();
    workspace.activate(app(2, "org.example.b"));
    EXPECT_EQ(settings->frontmostApp.get(), app(1, "org.example.a")) << "assigned in a later task";
    mainQueue.runUntilIdle();
    EXPECT_EQ(settings->frontmostApp.get(), app(2, "org.example.b"));

    workspace.activate(std::nullopt);
    mainQueue.runUntilIdle();
    EXPECT_EQ(settings->frontmostApp.get(), std::nullopt) << "no application clears it";
    EXPECT_TRUE(sent.empty());
}

TEST_F(DimmingSettingsTest, PendingActivationDoesNothingOnceSettingsAreGone) {
    create();
    workspace.activate(app(3, "org.example.c"));
    subscriptions.clear();
    std::weak_ptr<DimmingSettings> weak = settings;
    settings.reset();
    EXPECT_TRUE(weak.expired()) << "the workspace observer must not keep the settings alive";
    EXPECT_EQ(workspace.activationObserverCount(), 0u);
    EXPECT_EQ(mainQueue.runUntilIdle(), 1u);
}

} // namespace
} // namespace tavrilux
