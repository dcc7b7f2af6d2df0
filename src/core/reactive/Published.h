#pragma once

#include "core/reactive/Subject.h"

#include <functional>
#include <utility>

namespace tavrilux {

// A value whose observers hear of every assignment before it is stored ("will set"): a handler
// receives the new value while get() still returns the old one. Every assignment notifies, also
// when the value does not change. Main thread only.
template <typename T> class Published final {
public:
    using Handler = std::function<void(const T&)>;

    explicit Published(T initial = T{}) : value_(std::move(initial)) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return value_; }
    operator const T&() const { return value_; }

    void set(T newValue) {
        willSet_.send(newValue);
        value_ = std::move(newValue);
    }

    // Later assignments only.
    [[nodiscard]] Subscription observe(Handler handler) {
        return willSet_.subscribe(std::move(handler));
    }

    // The current value at once, then every later assignment (what a bound view needs).
    [[nodiscard]] Subscription sink(Handler handler) {
        handler(value_);
        return willSet_.subscribe(std::move(handler));
    }

private:
    T value_;
    Subject<T> willSet_;
};

} // namespace tavrilux
