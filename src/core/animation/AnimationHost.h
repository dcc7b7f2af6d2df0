#pragma once

#include "core/async/MainQueue.h"

#include <functional>
#include <utility>

namespace tavrilux {

// The clock and change sink that the layers of one window share. Layers read the time from the
// main queue, post their completions to it, and report every change of a value or an animation
// so that whoever draws the window knows when to look again.
class AnimationHost final {
public:
    explicit AnimationHost(MainQueue& queue) : queue_(queue) {}
    AnimationHost(const AnimationHost&) = delete;
    AnimationHost& operator=(const AnimationHost&) = delete;

    MainQueue& queue() const { return queue_; }
    Seconds now() const { return queue_.now(); }

    void setChangeHandler(std::function<void()> handler) { onChange_ = std::move(handler); }
    void markChanged() const {
        if (onChange_) {
            onChange_();
        }
    }

private:
    MainQueue& queue_;
    std::function<void()> onChange_;
};

} // namespace tavrilux
