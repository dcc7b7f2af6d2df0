#include "core/defaults/DefaultsRegistry.h"
#include "core/settings/FocusPresets.h"
#include "core/settings/SettingsKeys.h"
#include "core/settings/SettingsStore.h"
#include "fakes/TempDir.h"
#include "platform/linux/FileText.h"
#include "platform/linux/JsonFileStorage.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <sys/stat.h>
#include <tuple>

namespace tavrilux {
namespace {

namespace fs = std::filesystem;
using linux_platform::JsonFileStorage;
using nlohmann::json;

const DimmingConfiguration kLook(false, 0.2, 0.3, OverlayColor{0.1, 0.2, 0.3}, 0.4,
                                 EffectMode::aura, 0.6, 1.5, 0.7);

class SettingsFileTest : public testing::Test {
protected:
    fakes::TempDir dir;

    fs::path file() const { return dir.path() / "com.mirtal.tavrilux.json"; }
    std::unique_ptr<DefaultsRegistry> openRegistry() const {
        return std::make_unique<DefaultsRegistry>(JsonFileStorage::factoryIn(dir.path()));
    }
    // The settings file opened as the application opens it; flushed when it goes.
    struct Opened {
        std::unique_ptr<DefaultsRegistry> registry;
        SettingsStore store{SettingsStore::openDefaults(*registry)};
    };
    Opened open() const { return Opened{openRegistry()}; }
    static std::string read(const fs::path& path) {
        return linux_platform::readFileText(path).value_or("");
    }
    json fileJson() const { return json::parse(read(file())); }
};

TEST_F(SettingsFileTest, SavedSettingsSurviveAReopen) {
    {
        auto [registry, store] = open();
        store.save(kLook);
        store.saveMode(FocusMode::flow);
        store.saveExcludedDisplayUUIDs({"B", "A"});
    } // the registry flushes on destruction
    auto [registry, store] = open();
    EXPECT_EQ(store.loadConfiguration(), kLook);
    EXPECT_EQ(store.loadMode(), FocusMode::flow);
    EXPECT_EQ(store.loadExcludedDisplayUUIDs(), (std::set<std::string>{"A", "B"}));
    EXPECT_TRUE(fs::exists(file()));
}

TEST_F(SettingsFileTest, CorruptFileThatCannotBeSetAsideIsNeverOverwritten) {
    // Every name for a kept copy is taken by an earlier one.
    for (int n = 0; n < JsonFileStorage::kMaxAsideCopies; ++n) {
        fakes::writeFile(n == 0 ? dir / "com.mirtal.tavrilux.json.corrupt"
                                : dir / ("com.mirtal.tavrilux.json.corrupt." + std::to_string(n)),
                         "copy " + std::to_string(n));
    }
    const std::string notJson = R"({"dimming.isEnabled": false, "dimming.tint)";
    fakes::writeFile(file(), notJson);
    testing::internal::CaptureStderr();
    {
        auto [registry, store] = open();
        store.save(kLook);
        EXPECT_EQ(store.loadConfiguration(), kLook) << "the run goes on in memory";
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("cannot be set aside"), std::string::npos) << errors;
    EXPECT_EQ(read(file()), notJson);
    EXPECT_EQ(read(dir / "com.mirtal.tavrilux.json.corrupt"), "copy 0");
    EXPECT_EQ(read(dir / "com.mirtal.tavrilux.json.corrupt.999"), "copy 999");
}

TEST_F(SettingsFileTest, MalformedMembersCostOnlyTheirOwnKeyAndStayUntilSaved) {
    // A text, a number beyond a double's range and a lone surrogate: each reads as absent.
    fakes::writeFile(file(), R"({"dimming.isEnabled": false, "dimming.blurIntensity": "0.8",
        "dimming.tintIntensity": 1e999, "app.excludedBundleIDs": ["x"],
        "another.app.key": {"x": [1, null, "\ud800"]}})");
    auto [registry, store] = open();
    const auto loaded = store.loadConfiguration();
    EXPECT_EQ(std::tuple(loaded.isEnabled, loaded.blurIntensity, loaded.tintIntensity),
              std::tuple(false, 0.0, 0.5));
    EXPECT_EQ(store.loadExcludedBundleIDs(), std::set<std::string>{"x"});

    store.saveMode(FocusMode::evening);
    registry->flushAll();
    const std::string kept = read(file());
    for (const char* member : {R"("dimming.tintIntensity": 1e999)", R"({"x": [1, null, "\ud800"]})",
                               R"("dimming.activeMode": "evening")"}) {
        EXPECT_NE(kept.find(member), std::string::npos) << member << " in " << kept;
    }
    store.save(kLook);
    registry->flushAll();
    EXPECT_EQ(open().store.loadConfiguration(), kLook);
}

TEST_F(SettingsFileTest, WhatIsNoSettingsFileIsSetAsideWithItsCauseNeverOverAnEarlierCopy) {
    const auto text = [this](std::string content) {
        return [this, content] { fakes::writeFile(file(), content); };
    };
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"has a syntax error at byte 27", text(R"({"dimming.isEnabled": fals})")},
        {"is cut short at byte 20", text(R"({"dimming.isEnabled")")},
        {"is not a JSON object", text(R"(["dimming.isEnabled"])")},
        {"nests deeper than 64 levels",
         text(R"({"x": )" + std::string(100000, '[') + std::string(100000, ']') + "}")},
        {"is larger than 4 MiB", text(R"({"x": ")" + std::string(4 << 20, 'a') + "\"}")},
        {"is not a regular file", [this] { fs::create_directory(file()); }},
        {"is not a regular file", [this] { ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0); }},
        {"is not a regular file", [this] { fs::create_symlink("/dev/zero", file()); }},
    };
    int copies = 0;
    for (const auto& [cause, make] : cases) {
        SCOPED_TRACE(cause);
        fs::remove_all(file());
        make();
        const auto kind = fs::symlink_status(file()).type();
        const std::string before = kind == fs::file_type::regular ? read(file()) : "";
        testing::internal::CaptureStderr();
        {
            auto [registry, store] = open();
            EXPECT_TRUE(store.isFirstLaunch());
            EXPECT_FALSE(fs::exists(fs::symlink_status(file()))) << "moved before any write";
            store.save(kLook);
        }
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(errors.find(file().string() + " " + cause + "; kept aside"), std::string::npos)
            << errors;
        // Each goes to the next free name, as it was.
        const auto aside = dir / ("com.mirtal.tavrilux.json.corrupt" +
                                  (copies == 0 ? "" : "." + std::to_string(copies)));
        ++copies;
        EXPECT_EQ(fs::symlink_status(aside).type(), kind);
        EXPECT_EQ(kind == fs::file_type::regular ? read(aside) : "", before);
        EXPECT_EQ(fileJson().size(), 11u) << "a new file holds the save";
    }
    EXPECT_EQ(read(dir / "com.mirtal.tavrilux.json.corrupt"), R"({"dimming.isEnabled": fals})");
}

TEST_F(SettingsFileTest, SymbolicLinkIsKeptAndItsTargetReplaced) {
    const fs::path target = dir / "dotfiles" / "tavrilux.json";
    fakes::writeFile(target, R"({"dimming.isEnabled": false})");
    fs::create_symlink("dotfiles/tavrilux.json", file());
    {
        auto [registry, store] = open();
        EXPECT_FALSE(store.loadConfiguration().isEnabled);
        store.save(kLook);
    }
    EXPECT_TRUE(fs::is_symlink(file()));
    EXPECT_EQ(fs::read_symlink(file()), "dotfiles/tavrilux.json");
    EXPECT_EQ(json::parse(read(target))["dimming.blurIntensity"], 0.2);
}

TEST_F(SettingsFileTest, FailedWriteIsReportedOnceAndRetriedAtTheNextSave) {
    auto [registry, store] = open();
    // A folder where the file belongs: the rename over it fails, even for root.
    fs::create_directory(file());

    testing::internal::CaptureStderr();
    store.save(kLook);
    registry->flushAll();
    store.saveMode(FocusMode::focus);
    registry->flushAll();
    const std::string errors = testing::internal::GetCapturedStderr();
    const std::string expected = "tavrilux: cannot save settings to " + file().string() + ": ";
    EXPECT_NE(errors.find(expected), std::string::npos) << errors;
    EXPECT_EQ(errors.find(expected), errors.rfind(expected)) << "reported once: " << errors;

    fs::remove(file());
    store.saveCrashReportingEnabled(false);
    registry->flushAll();
    const auto stored = fileJson();
    EXPECT_EQ(stored["dimming.effectMode"], "aura") << "the retry writes what failed before";
    EXPECT_EQ(stored["dimming.activeMode"], "focus");
    EXPECT_EQ(stored["app.crashReportingEnabled"], false);
}

TEST_F(SettingsFileTest, NotANumberReadsBackAsAbsentFromMemoryAndFile) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const DimmingConfiguration withNan(true, nan, 0.3, OverlayColor{0.1, nan, 0.3}, 0.4,
                                       EffectMode::aura, 0.6, 1.5, 0.7);
    {
        auto [registry, store] = open();
        store.save(withNan);
        EXPECT_FALSE(store.defaults().hasValue(SettingsKeys::blurIntensity));
        EXPECT_EQ(store.loadConfiguration().blurIntensity, 0.0);
    }
    EXPECT_NO_THROW(fileJson()) << "the file stays valid JSON";
    auto [registry, store] = open();
    const auto loaded = store.loadConfiguration();
    EXPECT_EQ(loaded.blurIntensity, 0.0);
    EXPECT_EQ(loaded.overlayColor, (OverlayColor{0.1, 0.0, 0.3}));
    EXPECT_EQ(loaded.tintIntensity, 0.3);
}

TEST_F(SettingsFileTest, TwoStoresOnTheSameDomainSeeEachOthersWritesAtOnce) {
    auto registry = openRegistry();
    SettingsStore first(SettingsStore::openDefaults(*registry));
    SettingsStore second(SettingsStore::openDefaults(*registry));
    first.saveLanguageOverride("de");
    EXPECT_EQ(second.loadLanguageOverride(), "de");
    second.save(kLook);
    EXPECT_EQ(first.loadConfiguration(), kLook);
    first.saveLanguageOverride(std::nullopt);
    EXPECT_EQ(second.loadLanguageOverride(), std::nullopt);
}

TEST_F(SettingsFileTest, BurstOfSavesIsCoalescedAndFlushLeavesTheLastValues) {
    auto registry = openRegistry();
    auto defaults = SettingsStore::openDefaults(*registry);
    SettingsStore store(defaults);
    for (int i = 0; i < 100; ++i) {
        store.save(DimmingConfiguration(true, i / 100.0, 0.5, OverlayColor::black, 0.25,
                                        EffectMode::fullscreen, 0.5, 1.0, 0.35));
    }
    registry->flushAll();
    EXPECT_LT(defaults->storeCount(), 10u) << "100 saves are 1100 writes";
    EXPECT_EQ(fileJson()["dimming.blurIntensity"], 0.99);

    auto reopened = openRegistry();
    EXPECT_EQ(
        SettingsStore(SettingsStore::openDefaults(*reopened)).loadConfiguration().blurIntensity,
        0.99);
}

TEST_F(SettingsFileTest, UnwritableFolderFallsBackToTheStandardDomain) {
    // A file where the folder belongs: the suite cannot be opened, nor can the standard domain,
    // which then lives in memory.
    const fs::path blocked = dir.path() / "blocked";
    fakes::writeFile(blocked, "");
    DefaultsRegistry registry(JsonFileStorage::factoryIn(blocked / "tavrilux"));
    auto defaults = SettingsStore::openDefaults(registry);
    ASSERT_NE(defaults, nullptr);
    EXPECT_EQ(defaults, registry.standard());
    SettingsStore store(defaults);
    store.saveMode(FocusMode::flow);
    EXPECT_EQ(store.loadMode(), FocusMode::flow);
}

} // namespace
} // namespace tavrilux
