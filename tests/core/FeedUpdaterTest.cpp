#include "core/services/FeedUpdater.h"
#include "fakes/FakeHttpTransport.h"
#include "fakes/FakeMainThreadDispatcher.h"
#include "fakes/FakeUpdateCheckPresenter.h"
#include "fakes/VirtualMainQueue.h"

#include <gtest/gtest.h>

namespace tavrilux {
namespace {

using namespace std::chrono_literals;

class RecordingDelegate final : public UpdaterDelegate {
public:
    void didFindValidUpdate(const AppcastItem& item) override { found.push_back(item); }
    void didNotFindUpdate() override { ++notFound; }
    std::vector<AppcastItem> found;
    int notFound = 0;
};

class FeedUpdaterTest : public ::testing::Test {
protected:
    std::unique_ptr<FeedUpdater> make() {
        return std::make_unique<FeedUpdater>(
            FeedUpdater::Environment{"https://updates.test/feed.json", "1.2.0", transport, queue,
                                     dispatcher, defaults, [this] { return wallNow; }, presenter,
                                     5000ms},
            delegate);
    }
    // The fetch runs on the updater's worker; its outcome comes back through the dispatcher.
    void finishFetch() { ASSERT_EQ(dispatcher.waitAndRun(), 1u); }

    std::shared_ptr<fakes::FakeHttpTransport> transport =
        std::make_shared<fakes::FakeHttpTransport>();
    fakes::VirtualMainQueue queue;
    fakes::FakeMainThreadDispatcher dispatcher;
    std::shared_ptr<UserDefaults> defaults =
        std::make_shared<UserDefaults>(std::make_unique<MemoryDomainStorage>());
    std::chrono::system_clock::time_point wallNow =
        std::chrono::system_clock::time_point(std::chrono::hours(480000));
    std::shared_ptr<fakes::FakeUpdateCheckPresenter> presenter =
        std::make_shared<fakes::FakeUpdateCheckPresenter>();
    RecordingDelegate delegate;
};

TEST_F(FeedUpdaterTest, CannotCheckBeforeStartAndChecksAMinuteAfterLaunchThenDaily) {
    auto updater = make();
    std::vector<bool> canCheck;
    auto token = updater->observeCanCheckForUpdates([&](bool v) { canCheck.push_back(v); });
    updater->checkForUpdates();
    EXPECT_TRUE(transport->requests().empty());

    updater->startUpdater();
    EXPECT_EQ(canCheck, (std::vector<bool>{false, true}));
    transport->answer(200, R"({"items":[{"version":"1.3","displayVersion":"1.3 beta"}]})");
    queue.advance(59s);
    EXPECT_FALSE(updater->isChecking()) << "the launch is not slowed by a check";
    queue.advance(1s);
    EXPECT_EQ(canCheck.back(), false) << "no second check while one runs";
    EXPECT_TRUE(updater->isChecking());
    finishFetch();
    EXPECT_EQ(canCheck.back(), true);
    ASSERT_EQ(delegate.found.size(), 1u);
    EXPECT_EQ(delegate.found[0].displayVersionString, "1.3 beta");
    EXPECT_TRUE(presenter->shown.empty()) << "scheduled checks do not open a window";
    auto request = transport->requests().at(0);
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.url, "https://updates.test/feed.json");
    EXPECT_EQ(request.timeout, 5000ms);

    transport->answer(200, R"({"items":[{"version":"1.2"}]})");
    wallNow += 24h;
    queue.advance(24h - 1s);
    EXPECT_FALSE(updater->isChecking());
    queue.advance(1s);
    EXPECT_TRUE(updater->isChecking());
    finishFetch();
    EXPECT_EQ(transport->requests().size(), 2u);
    EXPECT_EQ(delegate.notFound, 1);
}

TEST_F(FeedUpdaterTest, NextLaunchWaitsForTheRestOfTheDayButAtLeastAMinute) {
    // Last check this long before the launch, and the wait until the next one.
    const std::pair<std::chrono::hours, std::chrono::seconds> cases[] = {
        {6h, 18h}, {30h, 60s}, {-10h, 24h} /* the clock was set back */};
    for (const auto& [ago, wait] : cases) {
        SCOPED_TRACE(ago.count());
        defaults->setDouble(
            FeedUpdater::kLastCheckKey,
            std::chrono::duration<double>((wallNow - ago).time_since_epoch()).count());
        auto updater = make();
        updater->startUpdater();
        queue.advance(wait - 1s);
        EXPECT_FALSE(updater->isChecking());
        transport->answer(200, R"({"items":[]})");
        queue.advance(1s);
        EXPECT_TRUE(updater->isChecking());
        finishFetch();
    }
    EXPECT_EQ(delegate.notFound, 3);
}

TEST_F(FeedUpdaterTest, UserCheckTellsTheOutcomeAndFailuresClaimNothing) {
    using Kind = UpdateCheckOutcome::Kind;
    auto updater = make();
    updater->startUpdater();
    const struct {
        int status; // 0: the server cannot be reached
        const char* body;
        UpdateCheckOutcome outcome; // of a failure, the start of the message
    } cases[] = {
        {200,
         R"({"items":[{"version":"2.0","displayVersion":"Two","url":"https://d"}]})",
         {Kind::updateFound, "Two", "https://d", {}}},
        {500, "{}", {Kind::failed, {}, {}, "the update server answered with status 500"}},
        {302,
         "<html>Found</html>",
         {Kind::failed, {}, {}, "the update server answered with status 302"}},
        {200, R"({"items":[{"version":"1.2.0"}]})", {Kind::upToDate, "1.2.0", {}, {}}},
        {0, "", {Kind::failed, {}, {}, "connection refused"}},
        {200, "<rss>not our feed</rss>", {Kind::failed, {}, {}, "the update feed is malformed"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        c.status == 0 ? transport->fail("connection refused") : transport->answer(c.status, c.body);
        updater->checkForUpdates();
        updater->checkForUpdates(); // ignored: a check is running
        finishFetch();
        EXPECT_EQ(presenter->shown.back(), c.outcome);
    }
    EXPECT_EQ(presenter->shown.size(), std::size(cases));
    EXPECT_EQ(delegate.found.size(), 1u) << "failed checks claim nothing";
    EXPECT_EQ(delegate.notFound, 1);
}

TEST_F(FeedUpdaterTest, AutomaticDownloadPreferencePersistsInTheDomain) {
    auto updater = make();
    EXPECT_FALSE(updater->automaticallyDownloadsUpdates());
    updater->setAutomaticallyDownloadsUpdates(true);
    EXPECT_EQ(defaults->boolValue(FeedUpdater::kAutomaticDownloadKey), true);
    updater.reset();
    EXPECT_TRUE(make()->automaticallyDownloadsUpdates());
}

TEST_F(FeedUpdaterTest, OutcomeArrivingAfterTheUpdaterIsGoneIsDropped) {
    auto updater = make();
    updater->startUpdater();
    transport->answer(200, R"({"items":[{"version":"9"}]})");
    updater->checkForUpdates();
    updater.reset(); // waits for the fetch; its outcome is already dispatched or dropped
    dispatcher.runPending();
    EXPECT_TRUE(delegate.found.empty());
    EXPECT_TRUE(presenter->shown.empty());
}

} // namespace
} // namespace tavrilux
