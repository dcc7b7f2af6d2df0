#pragma once

#include "core/async/MainQueue.h"
#include "core/defaults/UserDefaults.h"
#include "core/reactive/Published.h"
#include "core/services/HttpTransport.h"
#include "core/services/MainThreadDispatcher.h"
#include "core/services/SerialWorker.h"
#include "core/services/UpdateCheckPresenter.h"
#include "core/services/UpdaterController.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace tavrilux {

// The update machinery of an installed build: fetches an HTTPS feed once a day and whenever the
// user asks, and reports to its delegate whether a newer release exists. A check runs on a
// worker thread; its outcome comes back through the dispatcher. A check that fails reports no
// outcome to the delegate, so the last known state stays. Main thread only.
class FeedUpdater final : public UpdaterController {
public:
    static constexpr const char* kAutomaticDownloadKey = "update.automaticallyDownloadsUpdates";
    static constexpr const char* kLastCheckKey = "update.lastCheckTime";
    static constexpr Seconds kCheckInterval{24.0 * 60 * 60};
    // The first scheduled check waits a little so it does not slow the launch.
    static constexpr Seconds kLaunchDelay{60.0};

    using WallClock = std::function<std::chrono::system_clock::time_point()>;

    struct Environment {
        std::string feedUrl;
        std::string currentVersion;
        std::shared_ptr<HttpTransport> transport;
        MainQueue& mainQueue;
        MainThreadDispatcher& dispatcher;
        std::shared_ptr<UserDefaults> defaults;
        WallClock wallClock;
        // Shows the outcome of a check the user asked for; may be null.
        std::shared_ptr<UpdateCheckPresenter> presenter;
        std::chrono::milliseconds requestTimeout{60'000};
    };

    FeedUpdater(Environment environment, UpdaterDelegate& delegate);
    ~FeedUpdater() override;

    Subscription observeCanCheckForUpdates(std::function<void(bool)> handler) override;
    void startUpdater() override;
    void checkForUpdates() override;
    bool automaticallyDownloadsUpdates() const override;
    void setAutomaticallyDownloadsUpdates(bool value) override;

    bool isChecking() const { return checking_; }

private:
    void scheduleNextCheck();
    void startCheck(bool userInitiated);
    void finishCheck(bool userInitiated, const Result<HttpResponse>& response);
    void refreshCanCheck();

    Environment env_;
    UpdaterDelegate& delegate_;
    Published<bool> canCheck_{false};
    bool started_ = false;
    bool checking_ = false;
    TaskHandle scheduled_;
    // Outcomes dispatched from the worker find the updater through this token, or find it gone.
    std::shared_ptr<FeedUpdater*> self_;
    // Set when the updater goes away, so a fetch in flight does not hold up quitting.
    std::shared_ptr<std::atomic<bool>> cancelled_;
    std::unique_ptr<SerialWorker> worker_;
};

} // namespace tavrilux
