#include "core/focus/SystemEventObserver.h"

namespace tavrilux {

std::function<void()> SystemEventObserver::hop(Action action) {
    return [&queue = queue_, action = std::move(action)] { queue.post(action); };
}

void SystemEventObserver::observeApplicationActivated(Workspace& workspace, Action action) {
    registrations_.push_back(workspace.onApplicationActivated(
        [run = hop(std::move(action))](const std::optional<RunningApplication>&) { run(); }));
}

void SystemEventObserver::observeScreenParametersChanged(Workspace& workspace, Action action) {
    registrations_.push_back(workspace.onScreenParametersChanged(hop(std::move(action))));
}

void SystemEventObserver::observeActiveSpaceChanged(Workspace& workspace, Action action) {
    registrations_.push_back(workspace.onActiveSpaceChanged(hop(std::move(action))));
}

} // namespace tavrilux
