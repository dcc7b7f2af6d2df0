#include "core/focus/ScreenFocusTracker.h"

#include "core/focus/FocusDetection.h"

namespace tavrilux {

ScreenFocusTracker::ScreenFocusTracker(MainQueue& queue, WindowServer& windowServer,
                                       const Screens& screens, const Applications& applications,
                                       ProcessID ownPID, Seconds pollInterval)
    : queue_(queue), windowServer_(windowServer), screens_(screens), applications_(applications),
      ownPID_(ownPID), pollInterval_(pollInterval),
      self_(std::make_shared<ScreenFocusTracker*>(this)) {}

ScreenFocusTracker::~ScreenFocusTracker() {
    pollingTask_.cancel();
}

void ScreenFocusTracker::start(UpdateHandler onUpdate) {
    stop();
    onUpdate_ = std::move(onUpdate);
    refresh(true);
    // The handler may have stopped or restarted us from inside the forced refresh.
    if (onUpdate_ && !pollingTask_.isValid()) {
        schedulePoll();
    }
}

void ScreenFocusTracker::stop() {
    pollingTask_.cancel();
    pollingTask_.reset();
    onUpdate_ = nullptr;
    lastScene_.reset();
}

void ScreenFocusTracker::refresh(bool force) {
    auto snapshot = windowServer_.captureSnapshot();
    if (!snapshot) {
        return;
    }
    const auto screens = screenGeometries(screens_.screens(), screens_);
    const auto& applications = applications_;
    auto scene = FocusDetection::buildScene(
        *snapshot, screens, ownPID_, windowApplicationLookup(applications),
        [&applications](ProcessID pid) -> std::optional<std::string> {
            auto app = applications.runningApplication(pid);
            return app ? app->bundleIdentifier : std::nullopt;
        });
    if (!force && lastScene_ && *lastScene_ == scene) {
        return;
    }
    lastScene_ = std::move(scene);
    if (onUpdate_) {
        // A copy: the handler may stop the tracker, which drops the handler and the scene.
        auto handler = onUpdate_;
        const FocusScene delivered = *lastScene_;
        handler(delivered);
    }
}

void ScreenFocusTracker::schedulePoll() {
    std::weak_ptr<ScreenFocusTracker*> weak = self_;
    auto handle = std::make_shared<TaskHandle>();
    *handle = queue_.postAfter(pollInterval_, [weak, handle] {
        auto self = weak.lock();
        if (!self) {
            return;
        }
        ScreenFocusTracker& tracker = **self;
        tracker.refresh(false);
        // Stopped, restarted or destroyed during the refresh: this loop has ended.
        if (weak.expired() || handle->isCancelled()) {
            return;
        }
        tracker.schedulePoll();
    });
    pollingTask_ = *handle;
}

} // namespace tavrilux
