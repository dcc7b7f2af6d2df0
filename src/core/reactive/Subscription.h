#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace tavrilux {

// Ends a subscription when destroyed or cancelled; move-only, so exactly one owner ends it.
class Subscription final {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            cancel();
            cancel_ = std::exchange(other.cancel_, nullptr);
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { cancel(); }

    void cancel() {
        if (auto cancel = std::exchange(cancel_, nullptr)) {
            cancel();
        }
    }
    bool isActive() const { return static_cast<bool>(cancel_); }

private:
    std::function<void()> cancel_;
};

// A set of subscriptions owned by one subscriber; clearing or destroying it ends them all.
class SubscriptionSet final {
public:
    void insert(Subscription subscription) { items_.push_back(std::move(subscription)); }
    void clear() { items_.clear(); }
    bool empty() const { return items_.empty(); }
    std::size_t size() const { return items_.size(); }

private:
    std::vector<Subscription> items_;
};

} // namespace tavrilux
