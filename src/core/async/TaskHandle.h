#pragma once

#include <memory>

namespace tavrilux {

// A handle on a task scheduled on a MainQueue. Cancelling a task that has not run yet means it
// never runs; cancelling one that already ran does nothing. Dropping the handle does not cancel:
// like a detached task, a scheduled task runs unless someone cancels it. Copies share the task.
class TaskHandle final {
public:
    TaskHandle() = default;

    static TaskHandle make() { return TaskHandle(std::make_shared<State>()); }

    void cancel() const {
        if (state_) {
            state_->cancelled = true;
        }
    }
    bool isCancelled() const { return state_ && state_->cancelled; }
    bool isValid() const { return state_ != nullptr; }
    void reset() { state_.reset(); }

private:
    struct State {
        bool cancelled = false;
    };
    explicit TaskHandle(std::shared_ptr<State> state) : state_(std::move(state)) {}
    std::shared_ptr<State> state_;
};

} // namespace tavrilux
