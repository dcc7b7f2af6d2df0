#pragma once

#include "core/async/MainQueue.h"
#include "core/platform/Workspace.h"
#include "core/reactive/Subscription.h"

#include <functional>
#include <vector>

namespace tavrilux {

// Runs an action for each of the workspace notifications it was told to observe, and removes
// them all again in one call. Each action runs in a task of its own, posted when the
// notification arrives, so it never runs inside the poster's call; a task already posted still
// runs after stop(), so actions check their owner's state. Main thread only.
class SystemEventObserver final {
public:
    using Action = std::function<void()>;

    explicit SystemEventObserver(MainQueue& queue) : queue_(queue) {}
    SystemEventObserver(const SystemEventObserver&) = delete;
    SystemEventObserver& operator=(const SystemEventObserver&) = delete;

    void observeApplicationActivated(Workspace& workspace, Action action);
    void observeScreenParametersChanged(Workspace& workspace, Action action);
    void observeActiveSpaceChanged(Workspace& workspace, Action action);

    // Removes every registration. Harmless without any.
    void stop() { registrations_.clear(); }

    std::size_t registrationCount() const { return registrations_.size(); }

private:
    std::function<void()> hop(Action action);

    MainQueue& queue_;
    std::vector<Subscription> registrations_;
};

} // namespace tavrilux
