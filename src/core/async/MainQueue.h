#pragma once

#include "core/async/TaskHandle.h"

#include <chrono>
#include <functional>

namespace tavrilux {

using Seconds = std::chrono::duration<double>;

// The main thread's task queue: every engine rule runs in tasks posted here, one at a time.
//
// Contract:
// - post() runs the task on the main thread after the caller's task returns, in FIFO order with
//   other posted tasks whose time has come.
// - postAfter() runs the task once `delay` has passed on this queue's clock (a delay of zero or
//   less behaves like post). Tasks due at the same instant run in the order they were posted.
// - A task whose handle was cancelled before it started is dropped without effect; this is how a
//   cancelled sleep ends its task.
// - now() is monotonic seconds on the queue's clock; it is the clock that delays are measured on
//   and that animations read.
// - Every method is called on the main thread only.
class MainQueue {
public:
    MainQueue() = default;
    virtual ~MainQueue() = default;
    MainQueue(const MainQueue&) = delete;
    MainQueue& operator=(const MainQueue&) = delete;

    virtual TaskHandle post(std::function<void()> task) = 0;
    virtual TaskHandle postAfter(Seconds delay, std::function<void()> task) = 0;
    virtual Seconds now() const = 0;
};

} // namespace tavrilux
