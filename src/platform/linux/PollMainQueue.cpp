#include "platform/linux/PollMainQueue.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>

namespace tavrilux::linux_platform {

PollMainQueue::PollMainQueue() : start_(Clock::now()) {}

PollMainQueue::~PollMainQueue() = default;

TaskHandle PollMainQueue::post(std::function<void()> task) {
    return postAfter(Seconds{0.0}, std::move(task));
}

TaskHandle PollMainQueue::postAfter(Seconds delay, std::function<void()> task) {
    auto handle = TaskHandle::make();
    const auto due =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::max(delay, Seconds{0.0}));
    timers_.emplace(std::make_pair(due, sequence_++), Timer{handle, std::move(task)});
    return handle;
}

Seconds PollMainQueue::now() const {
    return std::chrono::duration_cast<Seconds>(Clock::now() - start_);
}

Subscription PollMainQueue::watchReadable(int fd, std::function<void()> onReadable) {
    auto watch = std::make_shared<Watch>(Watch{fd, std::move(onReadable)});
    watches_.push_back(watch);
    return Subscription([this, watch] {
        watch->active = false;
        std::erase(watches_, watch);
    });
}

void PollMainQueue::turn(Clock::time_point deadline) {
    // The tasks due at the start of this turn; what they post waits for the next turn, so a
    // task that keeps posting cannot starve the descriptors.
    const auto now = Clock::now();
    std::vector<Timer> due;
    while (!timers_.empty() && timers_.begin()->first.first <= now) {
        due.push_back(std::move(timers_.extract(timers_.begin()).mapped()));
    }
    for (auto& timer : due) {
        if (!timer.handle.isCancelled()) {
            timer.work();
        }
        if (quitRequested_) {
            // Keep what did not run yet, at the front.
            for (auto& rest : due) {
                if (rest.work && &rest != &timer) {
                    timers_.emplace(std::make_pair(now, sequence_++), std::move(rest));
                }
            }
            return;
        }
        timer.work = nullptr;
    }
    auto wake = deadline;
    if (!timers_.empty()) {
        wake = std::min(wake, timers_.begin()->first.first);
    }
    // After tasks ran, only look at the descriptors: the caller checks what the tasks changed
    // before anything blocks.
    const auto waitMs =
        due.empty() ? std::chrono::ceil<std::chrono::milliseconds>(wake - Clock::now()).count() : 0;
    std::vector<pollfd> fds;
    const auto watches = watches_; // callbacks may add or remove watches
    fds.reserve(watches.size());
    for (const auto& watch : watches) {
        fds.push_back(pollfd{watch->fd, POLLIN, 0});
    }
    const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(std::max<long>(waitMs, 0)));
    if (ready <= 0) {
        return;
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if (fds[i].revents != 0 && watches[i]->active) {
            watches[i]->onReadable();
        }
    }
}

void PollMainQueue::run() {
    quitRequested_ = false;
    while (!quitRequested_) {
        turn(Clock::now() + std::chrono::hours(1));
    }
}

bool PollMainQueue::runUntil(const std::function<bool()>& done, Seconds timeout) {
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(timeout);
    quitRequested_ = false;
    while (!done()) {
        if (Clock::now() >= deadline || quitRequested_) {
            return done();
        }
        turn(deadline);
    }
    return true;
}

void PollMainQueue::runFor(Seconds duration) {
    runUntil([] { return false; }, duration);
}

} // namespace tavrilux::linux_platform
