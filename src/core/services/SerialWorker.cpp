#include "core/services/SerialWorker.h"

namespace tavrilux {

SerialWorker::SerialWorker(OnStop onStop) : onStop_(onStop), state_(std::make_shared<State>()) {
    thread_ = std::thread([state = state_] { run(state); });
}

SerialWorker::~SerialWorker() {
    stop();
}

void SerialWorker::stop() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
        dropped.swap(state_->jobs);
    }
    state_->wake.notify_all();
    if (!thread_.joinable()) {
        return;
    }
    // The thread holds the state: stopped by one of its own jobs, or told not to wait, it ends by
    // itself.
    if (thread_.get_id() == std::this_thread::get_id() || onStop_ == OnStop::leaveRunningJob) {
        thread_.detach();
    } else {
        thread_.join();
    }
}

void SerialWorker::post(std::function<void()> job) {
    {
        std::lock_guard lock(state_->mutex);
        if (state_->stopping) {
            return;
        }
        state_->jobs.push_back(std::move(job));
    }
    state_->wake.notify_one();
}

void SerialWorker::run(const std::shared_ptr<State>& state) {
    std::unique_lock lock(state->mutex);
    for (;;) {
        state->wake.wait(lock, [&] { return state->stopping || !state->jobs.empty(); });
        if (state->stopping) {
            return;
        }
        auto job = std::move(state->jobs.front());
        state->jobs.pop_front();
        lock.unlock();
        job();
        job = nullptr; // release what the job captured (possibly the worker's owner) unlocked
        lock.lock();
    }
}

} // namespace tavrilux
