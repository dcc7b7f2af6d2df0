#include "core/services/UpdaterManager.h"
#include "core/services/SoftwareVersion.h"
#include "core/services/UpdateFeed.h"
#include "fakes/FakeUpdaterController.h"

#include <gtest/gtest.h>

namespace tavrilux {
namespace {

using fakes::FakeUpdaterController;

struct ControllerProbe {
    FakeUpdaterController* controller = nullptr;
    int made = 0;
    UpdaterManager::ControllerFactory factory() {
        return [this](UpdaterDelegate& delegate) {
            ++made;
            auto fake = std::make_unique<FakeUpdaterController>(delegate);
            controller = fake.get();
            return fake;
        };
    }
};

TEST(UpdaterManagerTest, DevelopmentBuildHasNoControllerAndStaysUnknown) {
    ControllerProbe probe;
    UpdaterManager manager(BuildFlavor::development, probe.factory());
    EXPECT_EQ(probe.made, 0);
    EXPECT_FALSE(manager.hasController());
    manager.checkForUpdates();
    manager.setAutomaticallyDownloadsUpdates(true);
    EXPECT_FALSE(manager.automaticallyDownloadsUpdates());
    EXPECT_FALSE(manager.canCheckForUpdates.get());
    EXPECT_EQ(manager.updateAvailability.get(), UpdateAvailability::unknown());
}

TEST(UpdaterManagerTest, PackagedBuildStartsItsControllerMirrorsItAndKeepsTheLatestOutcome) {
    ControllerProbe probe;
    UpdaterManager manager(BuildFlavor::packaged, probe.factory());
    ASSERT_EQ(probe.made, 1);
    auto& controller = *probe.controller;
    EXPECT_EQ(controller.startCalls, 1);
    std::vector<bool> seen;
    auto token = manager.canCheckForUpdates.observe([&](const bool& v) { seen.push_back(v); });
    controller.canCheck.set(true);
    controller.canCheck.set(false);
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
    manager.checkForUpdates();
    EXPECT_EQ(controller.checkCalls, 1);
    manager.setAutomaticallyDownloadsUpdates(true);
    EXPECT_TRUE(manager.automaticallyDownloadsUpdates());

    controller.find("2.0");
    EXPECT_EQ(manager.updateAvailability.get(), UpdateAvailability::available("2.0"));
    controller.findNothing();
    EXPECT_EQ(manager.updateAvailability.get(), UpdateAvailability::noUpdate());
    EXPECT_NE(UpdateAvailability::available(""), UpdateAvailability::noUpdate());
    EXPECT_NE(UpdateAvailability::noUpdate(), UpdateAvailability::unknown());
}

TEST(SoftwareVersionTest, ComparesNumericComponents) {
    auto v = [](const char* text) { return *SoftwareVersion::parse(text); };
    EXPECT_GT(v("1.10"), v("1.9"));
    EXPECT_EQ(v("1.2"), v("1.2.0.0"));
    EXPECT_EQ(v("01.002"), v("1.2"));
    EXPECT_LT(v("0.9.9"), v("1"));
    EXPECT_GT(v("1.0.1"), v("1"));
    EXPECT_GT(v("2.99999999999999999999999"), v("2.99999999999999999999998"));
    for (const char* bad : {"", ".", "1.", ".1", "1..2", "1.2b", "v1.2", "1,2", " 1", "-1"}) {
        EXPECT_FALSE(SoftwareVersion::parse(bad).has_value()) << bad;
    }
}

TEST(UpdateFeedTest, PicksTheNewestNewerReleaseAndNothingThatIsNotNewer) {
    auto result = UpdateFeed::newestUpdate(
        R"json({"items": [
            {"version": "1.9.0", "displayVersion": "1.9"},
            {"version": "1.10.0", "displayVersion": "1.10 (autumn)", "url": "https://x/1.10"},
            {"version": "1.2"},
            {"version": "not-a-version"},
            {"displayVersion": "no version"}
        ]})json",
        "1.2.0");
    ASSERT_TRUE(result.ok());
    ASSERT_TRUE(result.value().has_value());
    EXPECT_EQ(result.value()->version, "1.10.0");
    EXPECT_EQ(result.value()->displayVersionString, "1.10 (autumn)");
    EXPECT_EQ(result.value()->downloadUrl, "https://x/1.10");

    auto plain = UpdateFeed::newestUpdate(R"({"items":[{"version":"3"}]})", "2.9");
    ASSERT_TRUE(plain.ok());
    EXPECT_EQ(plain.value()->displayVersionString, "3") << "the display version defaults";

    for (const char* current : {"1.4", "1.4.0", "2.0"}) {
        auto same = UpdateFeed::newestUpdate(R"({"items":[{"version":"1.4"}]})", current);
        ASSERT_TRUE(same.ok()) << current;
        EXPECT_FALSE(same.value().has_value()) << "same or older is no update: " << current;
    }
    EXPECT_FALSE(UpdateFeed::newestUpdate(R"({"items":[]})", "1.0").value().has_value());
}

TEST(UpdateFeedTest, MalformedFeedsFail) {
    for (const char* feed :
         {"", "<rss/>", "[]", "{}", R"({"items": {}})", R"({"items": [{"version": 2}]})",
          R"({"items": ["1.2"]})", R"({"items": [{"version": "9", "displayVersion": 9}]})"}) {
        EXPECT_FALSE(UpdateFeed::newestUpdate(feed, "1.0").ok()) << feed;
    }
    EXPECT_FALSE(UpdateFeed::newestUpdate(R"({"items":[{"version":"2"}]})", "dev").ok());
}

} // namespace
} // namespace tavrilux
