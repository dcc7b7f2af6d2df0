#pragma once

#include "core/services/MainThreadDispatcher.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace tavrilux::fakes {

// Collects dispatched tasks from any thread; the test runs them on its own thread, which plays
// the main thread.
class FakeMainThreadDispatcher final : public MainThreadDispatcher {
public:
    void dispatch(std::function<void()> task) override {
        {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
            ++dispatched_;
        }
        arrived_.notify_all();
    }

    // Runs the tasks queued so far (and those they queue). Returns how many ran.
    std::size_t runPending() {
        std::size_t ran = 0;
        for (;;) {
            std::function<void()> task;
            {
                std::lock_guard lock(mutex_);
                if (tasks_.empty()) {
                    return ran;
                }
                task = std::move(tasks_.front());
                tasks_.pop_front();
            }
            task();
            ++ran;
        }
    }

    // Waits until a task arrives from a worker thread (or the limit passes), then runs what is
    // queued. For tests whose work really runs on other threads.
    std::size_t waitAndRun(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        {
            std::unique_lock lock(mutex_);
            arrived_.wait_for(lock, limit, [&] { return !tasks_.empty(); });
        }
        return runPending();
    }

    std::size_t dispatchedCount() const {
        std::lock_guard lock(mutex_);
        return dispatched_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::function<void()>> tasks_;
    std::size_t dispatched_ = 0;
};

} // namespace tavrilux::fakes
