#pragma once

#include "core/async/MainQueue.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>

namespace tavrilux::qt {

// The main queue on Qt's event loop: tasks are zero-or-more-millisecond timers of the thread
// that made the queue, now() is the steady clock. Tasks due at the same time run in posting
// order.
class QtMainQueue final : public MainQueue {
public:
    QtMainQueue();
    ~QtMainQueue() override;

    TaskHandle post(std::function<void()> task) override;
    TaskHandle postAfter(Seconds delay, std::function<void()> task) override;
    Seconds now() const override;

private:
    void schedule(Seconds due, const TaskHandle& handle,
                  std::shared_ptr<std::function<void()>> task);

    std::chrono::steady_clock::time_point start_;
    // Timers die with their context: nothing runs once the queue is gone.
    QObject context_;
};

} // namespace tavrilux::qt
