#pragma once

#include "core/async/MainQueue.h"
#include "core/focus/FocusScene.h"
#include "core/focus/Identifiers.h"
#include "core/platform/Applications.h"
#include "core/platform/Screens.h"
#include "core/platform/WindowServer.h"

#include <functional>
#include <memory>
#include <optional>

namespace tavrilux {

// Polls the window list and hands on each FocusScene that differs from the last one it handed
// on, or every scene of a forced refresh. Main thread only.
class ScreenFocusTracker final {
public:
    using UpdateHandler = std::function<void(const FocusScene&)>;

    static constexpr Seconds kPollInterval{0.15};

    // `ownPID` is this process: its windows are never focus targets. The poll interval is 150 ms
    // in the application; tests of the notification road stretch it to keep polls out of the way.
    ScreenFocusTracker(MainQueue& queue, WindowServer& windowServer, const Screens& screens,
                       const Applications& applications, ProcessID ownPID,
                       Seconds pollInterval = kPollInterval);
    ~ScreenFocusTracker();
    ScreenFocusTracker(const ScreenFocusTracker&) = delete;
    ScreenFocusTracker& operator=(const ScreenFocusTracker&) = delete;

    // Restarts cleanly: stop(), store the handler, a forced refresh at once (so the handler has
    // the current scene before start returns), then a poll every interval.
    void start(UpdateHandler onUpdate);
    // Ends polling, drops the handler and forgets the last scene. Harmless when idle.
    void stop();
    // Builds a scene now and hands it on when forced or changed. Without a window list nothing is
    // handed on, even when forced, and the last scene stays.
    void refresh(bool force);

    const std::optional<FocusScene>& lastScene() const { return lastScene_; }
    bool isPolling() const { return pollingTask_.isValid(); }

private:
    void schedulePoll();

    MainQueue& queue_;
    WindowServer& windowServer_;
    const Screens& screens_;
    const Applications& applications_;
    ProcessID ownPID_;
    Seconds pollInterval_;

    TaskHandle pollingTask_;
    UpdateHandler onUpdate_;
    std::optional<FocusScene> lastScene_;
    // Polling turns hold this weakly: a turn that finds the tracker gone does nothing.
    std::shared_ptr<ScreenFocusTracker*> self_;
};

} // namespace tavrilux
