#include "platform/linux/TerminationSignals.h"

namespace tavrilux::linux_platform {

TerminationSignals::TerminationSignals(Handler handler) : handler_(std::move(handler)) {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGTERM);
    sigaddset(&signals_, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals_, &previousMask_);
    waiter_ = std::thread([this] { waitLoop(); });
}

TerminationSignals::~TerminationSignals() {
    stopping_.store(true);
    // Wakes the waiting thread; the signal is directed at it alone and, being blocked there, is
    // taken by its sigwait.
    pthread_kill(waiter_.native_handle(), SIGTERM);
    waiter_.join();
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void TerminationSignals::waitLoop() {
    for (;;) {
        int signal = 0;
        if (sigwait(&signals_, &signal) != 0) {
            continue;
        }
        if (stopping_.load()) {
            return;
        }
        if (handler_) {
            handler_(signal);
        }
    }
}

} // namespace tavrilux::linux_platform
