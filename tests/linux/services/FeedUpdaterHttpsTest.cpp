#include "LoopbackHttpsServer.h"
#include "core/services/FeedUpdater.h"
#include "core/services/UpdaterManager.h"
#include "fakes/FakeMainThreadDispatcher.h"
#include "fakes/FakeUpdateCheckPresenter.h"
#include "fakes/TempDir.h"
#include "fakes/VirtualMainQueue.h"
#include "platform/linux/CurlHttpTransport.h"

#include <gtest/gtest.h>

#include <atomic>

namespace tavrilux {
namespace {

using namespace std::chrono_literals;
using fakes::TempDir;
using testing::CannedAnswer;
using testing::LoopbackHttpsServer;
using testing::ReceivedRequest;
using testing::TestCertificates;

// The update service of an installed build at version 1.4.0, checking a feed on loopback.
class FeedUpdaterHttpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        server =
            std::make_unique<LoopbackHttpsServer>(certificates, [this](const ReceivedRequest&) {
                std::lock_guard lock(feedMutex);
                return feed;
            });
        startManager(server->url("/linux/feed.json"));
    }

    void startManager(const std::string& feedUrl,
                      std::chrono::milliseconds requestTimeout = 10000ms) {
        manager = std::make_unique<UpdaterManager>(
            BuildFlavor::packaged, [this, feedUrl, requestTimeout](UpdaterDelegate& delegate) {
                return std::make_unique<FeedUpdater>(
                    FeedUpdater::Environment{
                        feedUrl, "1.4.0",
                        std::make_shared<linux_platform::CurlHttpTransport>(certificates.caFile()),
                        queue, dispatcher, defaults,
                        [] { return std::chrono::system_clock::now(); }, presenter, requestTimeout},
                    delegate);
            });
    }

    void publish(int status, std::string body) {
        std::lock_guard lock(feedMutex);
        feed = {status, std::move(body), false};
    }

    // A check the user asked for, run to its end; returns what the user was told.
    UpdateCheckOutcome check() {
        EXPECT_TRUE(manager->canCheckForUpdates.get());
        const auto shownBefore = presenter->shown.size();
        manager->checkForUpdates();
        EXPECT_FALSE(manager->canCheckForUpdates.get());
        EXPECT_EQ(dispatcher.waitAndRun(20s), 1u);
        EXPECT_TRUE(manager->canCheckForUpdates.get());
        EXPECT_EQ(presenter->shown.size(), shownBefore + 1);
        return presenter->shown.empty() ? UpdateCheckOutcome{} : presenter->shown.back();
    }

    TempDir folder;
    TestCertificates certificates{folder.path()};
    std::mutex feedMutex;
    CannedAnswer feed;
    std::unique_ptr<LoopbackHttpsServer> server;
    fakes::VirtualMainQueue queue;
    fakes::FakeMainThreadDispatcher dispatcher;
    std::shared_ptr<UserDefaults> defaults =
        std::make_shared<UserDefaults>(std::make_unique<MemoryDomainStorage>());
    std::shared_ptr<fakes::FakeUpdateCheckPresenter> presenter =
        std::make_shared<fakes::FakeUpdateCheckPresenter>();
    std::unique_ptr<UpdaterManager> manager;
};

TEST_F(FeedUpdaterHttpsTest, NewerReleaseIsFoundWithItsDisplayVersion) {
    publish(200, R"({"items": [{"version": "1.10.0", "displayVersion": "1.10 Autumn",
                               "url": "https://example.invalid/tavrilux-1.10.tar.gz"}]})");
    const auto outcome = check();
    EXPECT_EQ(outcome.kind, UpdateCheckOutcome::Kind::updateFound);
    EXPECT_EQ(outcome.version, "1.10 Autumn");
    EXPECT_EQ(manager->updateAvailability.get(), UpdateAvailability::available("1.10 Autumn"));
    const auto requests = server->requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].path, "/linux/feed.json");
}

TEST_F(FeedUpdaterHttpsTest, RefusedOrUnreachableFeedLeavesTheStateAsItWas) {
    publish(200, R"({"items": [{"version": "2.0"}]})");
    check();
    ASSERT_EQ(manager->updateAvailability.get(), UpdateAvailability::available("2.0"));
    publish(404, R"({"items": []})");
    EXPECT_EQ(check().kind, UpdateCheckOutcome::Kind::failed);
    EXPECT_EQ(manager->updateAvailability.get(), UpdateAvailability::available("2.0"));

    manager.reset();
    startManager("https://127.0.0.1:" + std::to_string(LoopbackHttpsServer::unusedPort()) +
                 "/feed.json");
    EXPECT_EQ(check().kind, UpdateCheckOutcome::Kind::failed);
    EXPECT_EQ(manager->updateAvailability.get(), UpdateAvailability::unknown());
}

TEST_F(FeedUpdaterHttpsTest, QuittingDuringACheckDoesNotWaitForTheServer) {
    {
        std::lock_guard lock(feedMutex);
        feed.neverAnswer = true;
    }
    // Longer than the server keeps any connection: only cancelling can end the fetch while the
    // server still holds it.
    manager.reset();
    startManager(server->url("/linux/feed.json"), 2 * LoopbackHttpsServer::kLifetime);
    manager->checkForUpdates();
    ASSERT_EQ(server->waitForRequests(1, 20s).size(), 1u);

    manager.reset();
    EXPECT_EQ(server->silentConnectionsHeld(), 1) << "the fetch was ended, not answered";
    EXPECT_EQ(dispatcher.waitAndRun(0ms), 1u) << "the ended fetch reported back";
    EXPECT_TRUE(presenter->shown.empty()) << "to an updater that is gone";
}

} // namespace
} // namespace tavrilux
