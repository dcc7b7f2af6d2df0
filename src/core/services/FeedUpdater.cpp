#include "core/services/FeedUpdater.h"

#include "core/services/UpdateFeed.h"

#include <algorithm>

namespace tavrilux {

namespace {
double epochSeconds(std::chrono::system_clock::time_point time) {
    return std::chrono::duration<double>(time.time_since_epoch()).count();
}
} // namespace

FeedUpdater::FeedUpdater(Environment environment, UpdaterDelegate& delegate)
    : env_(std::move(environment)), delegate_(delegate),
      self_(std::make_shared<FeedUpdater*>(this)),
      cancelled_(std::make_shared<std::atomic<bool>>(false)),
      worker_(std::make_unique<SerialWorker>()) {}

FeedUpdater::~FeedUpdater() {
    scheduled_.cancel();
    self_.reset();
    cancelled_->store(true);
    worker_.reset(); // ends a running fetch, whose outcome then finds no updater
}

Subscription FeedUpdater::observeCanCheckForUpdates(std::function<void(bool)> handler) {
    return canCheck_.sink(std::move(handler));
}

void FeedUpdater::startUpdater() {
    if (started_) {
        return;
    }
    started_ = true;
    refreshCanCheck();
    scheduleNextCheck();
}

void FeedUpdater::checkForUpdates() {
    if (!canCheck_.get()) {
        return;
    }
    startCheck(true);
}

bool FeedUpdater::automaticallyDownloadsUpdates() const {
    return env_.defaults->boolValue(kAutomaticDownloadKey).value_or(false);
}

void FeedUpdater::setAutomaticallyDownloadsUpdates(bool value) {
    env_.defaults->setBool(kAutomaticDownloadKey, value);
}

void FeedUpdater::refreshCanCheck() {
    const bool canCheck = started_ && !checking_;
    if (canCheck != canCheck_.get()) {
        canCheck_.set(canCheck);
    }
}

void FeedUpdater::scheduleNextCheck() {
    scheduled_.cancel();
    Seconds delay = kLaunchDelay;
    if (auto last = env_.defaults->doubleValue(kLastCheckKey)) {
        const double due = *last + kCheckInterval.count() - epochSeconds(env_.wallClock());
        // A clock set back must not postpone the check beyond one interval.
        delay = std::clamp(Seconds{due}, kLaunchDelay, kCheckInterval);
    }
    std::weak_ptr<FeedUpdater*> weak = self_;
    scheduled_ = env_.mainQueue.postAfter(delay, [weak] {
        if (auto self = weak.lock()) {
            FeedUpdater& updater = **self;
            if (updater.checking_) {
                return; // the running check schedules the next one when it ends
            }
            updater.startCheck(false);
        }
    });
}

void FeedUpdater::startCheck(bool userInitiated) {
    checking_ = true;
    scheduled_.cancel();
    refreshCanCheck();
    env_.defaults->setDouble(kLastCheckKey, epochSeconds(env_.wallClock()));

    HttpRequest request;
    request.method = "GET";
    request.url = env_.feedUrl;
    request.headers = {{"Accept", "application/json"}};
    request.timeout = env_.requestTimeout;
    request.cancelled = cancelled_;
    std::weak_ptr<FeedUpdater*> weak = self_;
    auto transport = env_.transport;
    MainThreadDispatcher* dispatcher = &env_.dispatcher;
    worker_->post([weak, transport, dispatcher, request, userInitiated] {
        auto response = transport->send(request);
        dispatcher->dispatch([weak, userInitiated, response = std::move(response)] {
            if (auto self = weak.lock()) {
                (*self)->finishCheck(userInitiated, response);
            }
        });
    });
}

void FeedUpdater::finishCheck(bool userInitiated, const Result<HttpResponse>& response) {
    checking_ = false;
    refreshCanCheck();

    std::optional<ServiceFailure> failure;
    std::optional<AppcastItem> update;
    if (!response.ok()) {
        failure = response.failure();
    } else if (response.value().status < 200 || response.value().status > 299) {
        failure = ServiceFailure{"the update server answered with status " +
                                 std::to_string(response.value().status)};
    } else {
        auto newest = UpdateFeed::newestUpdate(response.value().body, env_.currentVersion);
        if (newest.ok()) {
            update = newest.value();
        } else {
            failure = newest.failure();
        }
    }

    UpdateCheckOutcome outcome;
    if (failure) {
        outcome = {UpdateCheckOutcome::Kind::failed, {}, {}, failure->description};
    } else if (update) {
        delegate_.didFindValidUpdate(*update);
        outcome = {UpdateCheckOutcome::Kind::updateFound,
                   update->displayVersionString,
                   update->downloadUrl,
                   {}};
    } else {
        delegate_.didNotFindUpdate();
        outcome = {UpdateCheckOutcome::Kind::upToDate, env_.currentVersion, {}, {}};
    }
    if (userInitiated && env_.presenter) {
        env_.presenter->present(outcome);
    }
    scheduleNextCheck();
}

} // namespace tavrilux
