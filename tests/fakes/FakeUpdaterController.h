#pragma once

#include "core/reactive/Published.h"
#include "core/services/UpdaterController.h"

namespace tavrilux::fakes {

// An update controller the test drives: it says whether a check may start, counts calls and
// reports outcomes to its delegate on demand.
class FakeUpdaterController final : public UpdaterController {
public:
    explicit FakeUpdaterController(UpdaterDelegate& delegate) : delegate_(delegate) {}

    Subscription observeCanCheckForUpdates(std::function<void(bool)> handler) override {
        return canCheck.sink(std::move(handler));
    }
    void startUpdater() override { ++startCalls; }
    void checkForUpdates() override { ++checkCalls; }
    bool automaticallyDownloadsUpdates() const override { return automaticDownloads; }
    void setAutomaticallyDownloadsUpdates(bool value) override { automaticDownloads = value; }

    void find(const std::string& version) { delegate_.didFindValidUpdate({version, version, {}}); }
    void findNothing() { delegate_.didNotFindUpdate(); }

    Published<bool> canCheck{false};
    int startCalls = 0;
    int checkCalls = 0;
    bool automaticDownloads = false;

private:
    UpdaterDelegate& delegate_;
};

} // namespace tavrilux::fakes
