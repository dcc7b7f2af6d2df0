#include "fakes/VirtualMainQueue.h"

#include <algorithm>

namespace tavrilux::fakes {

TaskHandle VirtualMainQueue::post(std::function<void()> task) {
    return postAfter(Seconds{0.0}, std::move(task));
}

TaskHandle VirtualMainQueue::postAfter(Seconds delay, std::function<void()> task) {
    auto handle = TaskHandle::make();
    const Seconds due = now_ + std::max(delay, Seconds{0.0});
    tasks_.emplace(Key{due, nextSequence_++}, Task{handle, std::move(task)});
    return handle;
}

std::size_t VirtualMainQueue::runUntilIdle() {
    std::size_t ran = 0;
    while (!tasks_.empty() && tasks_.begin()->first.due <= now_) {
        auto node = tasks_.extract(tasks_.begin());
        if (!node.mapped().handle.isCancelled()) {
            node.mapped().work();
            ++ran;
        }
    }
    return ran;
}

void VirtualMainQueue::advance(Seconds by) {
    const Seconds target = now_ + by;
    runUntilIdle();
    while (!tasks_.empty() && tasks_.begin()->first.due <= target) {
        now_ = std::max(now_, tasks_.begin()->first.due);
        runUntilIdle();
    }
    now_ = target;
    runUntilIdle();
}

bool VirtualMainQueue::runNext() {
    while (!tasks_.empty() && tasks_.begin()->second.handle.isCancelled()) {
        tasks_.erase(tasks_.begin());
    }
    if (tasks_.empty()) {
        return false;
    }
    now_ = std::max(now_, tasks_.begin()->first.due);
    runUntilIdle();
    return true;
}

std::size_t VirtualMainQueue::pendingCount() const {
    return static_cast<std::size_t>(std::count_if(tasks_.begin(), tasks_.end(), [](const auto& kv) {
        return !kv.second.handle.isCancelled();
    }));
}

} // namespace tavrilux::fakes
