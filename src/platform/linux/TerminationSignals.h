#pragma once

#include <atomic>
#include <csignal>
#include <functional>
#include <pthread.h>
#include <thread>

namespace tavrilux::linux_platform {

// Turns SIGTERM and SIGINT into a callback, so the program can leave its loop and save its
// settings instead of dying with writes still pending.
//
// The constructor blocks both signals in the calling thread, which every thread started later
// inherits; create it first thing in main, before any other thread exists, or a signal may land
// on a thread that still has the default action. A dedicated thread then waits for the signals
// and calls the handler on that thread, once per signal received. The destructor stops the
// waiting thread and restores the calling thread's signal mask; destroy it on the thread that
// created it.
class TerminationSignals final {
public:
    using Handler = std::function<void(int signal)>;

    explicit TerminationSignals(Handler handler);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    void waitLoop();

    Handler handler_;
    sigset_t signals_{};
    sigset_t previousMask_{};
    std::atomic<bool> stopping_{false};
    std::thread waiter_;
};

} // namespace tavrilux::linux_platform
