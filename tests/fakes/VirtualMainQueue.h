#pragma once

#include "core/async/MainQueue.h"

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

namespace tavrilux::fakes {

// A main queue on virtual time: nothing runs until the test says so. advance() moves the clock
// step by step to each due task, so tasks see the time they were scheduled for.
class VirtualMainQueue final : public MainQueue {
public:
    TaskHandle post(std::function<void()> task) override;
    TaskHandle postAfter(Seconds delay, std::function<void()> task) override;
    Seconds now() const override { return now_; }

    // Runs every task due now, including tasks those tasks post for now. Returns how many ran.
    std::size_t runUntilIdle();
    // Moves the clock forward by `by`, running each task when its time comes.
    void advance(Seconds by);
    // Moves the clock to the next scheduled task and runs what is due then; false when none.
    bool runNext();

    // Scheduled and not cancelled.
    std::size_t pendingCount() const;
    bool hasPending() const { return pendingCount() > 0; }

private:
    struct Key {
        Seconds due;
        std::uint64_t sequence;
        bool operator<(const Key& other) const {
            return due < other.due || (due == other.due && sequence < other.sequence);
        }
    };
    struct Task {
        TaskHandle handle;
        std::function<void()> work;
    };
    std::map<Key, Task> tasks_;
    Seconds now_{0.0};
    std::uint64_t nextSequence_ = 0;
};

} // namespace tavrilux::fakes
