#pragma once

#include "core/async/MainQueue.h"
#include "core/reactive/Subscription.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace tavrilux::linux_platform {

// A real-time main queue for programs without a GUI toolkit (adapter tests, benchmarks, probes):
// timers on the monotonic clock plus file descriptors watched with poll(2), all run on the
// thread that calls run(). Tasks run in due order, FIFO among equals; a descriptor's callback
// runs when it is readable (or has hung up) and must consume what made it readable.
class PollMainQueue final : public MainQueue {
public:
    PollMainQueue();
    ~PollMainQueue() override;

    TaskHandle post(std::function<void()> task) override;
    TaskHandle postAfter(Seconds delay, std::function<void()> task) override;
    Seconds now() const override;

    // Calls `onReadable` whenever `fd` is readable, until the subscription ends.
    [[nodiscard]] Subscription watchReadable(int fd, std::function<void()> onReadable);

    // Runs until quit() is called.
    void run();
    void quit() { quitRequested_ = true; }
    // Runs until `done` returns true (checked after every task and wake-up) or `timeout` has
    // passed; returns the last answer of `done`.
    bool runUntil(const std::function<bool()>& done, Seconds timeout);
    // Runs for `duration` of real time.
    void runFor(Seconds duration);

private:
    struct Timer {
        TaskHandle handle;
        std::function<void()> work;
    };
    struct Watch {
        int fd;
        std::function<void()> onReadable;
        bool active = true;
    };
    using Clock = std::chrono::steady_clock;

    // One turn: run the due tasks, then serve the readable descriptors, waiting for one (at most
    // until `deadline` or the next timer) only when no task was due.
    void turn(Clock::time_point deadline);

    Clock::time_point start_;
    std::multimap<std::pair<Clock::time_point, std::uint64_t>, Timer> timers_;
    std::uint64_t sequence_ = 0;
    std::vector<std::shared_ptr<Watch>> watches_;
    bool quitRequested_ = false;
};

} // namespace tavrilux::linux_platform
