#pragma once

#include <functional>

namespace tavrilux {

// Hands work from any thread to the main thread.
//
// Contract: dispatch() may be called from any thread and returns at once; the task runs later on
// the main thread, tasks from one thread in the order they were dispatched.
class MainThreadDispatcher {
public:
    MainThreadDispatcher() = default;
    virtual ~MainThreadDispatcher() = default;
    MainThreadDispatcher(const MainThreadDispatcher&) = delete;
    MainThreadDispatcher& operator=(const MainThreadDispatcher&) = delete;

    virtual void dispatch(std::function<void()> task) = 0;
};

} // namespace tavrilux
