#pragma once

#include "core/reactive/Subscription.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tavrilux {

// A stream of values without memory: subscribers receive only what is sent after they subscribed,
// in subscription order. A subscriber removed while a value is being delivered receives nothing
// more, not even the rest of that delivery; one added during a delivery starts with the next value.
// Main thread only.
template <typename T> class Subject final {
public:
    using Handler = std::function<void(const T&)>;

    Subject() = default;
    Subject(const Subject&) = delete;
    Subject& operator=(const Subject&) = delete;

    [[nodiscard]] Subscription subscribe(Handler handler) {
        auto entry = std::make_shared<Entry>(Entry{std::move(handler), true});
        core_->entries.push_back(entry);
        std::weak_ptr<Core> weakCore = core_;
        return Subscription([weakCore, entry] {
            entry->active = false;
            if (auto core = weakCore.lock()) {
                std::erase(core->entries, entry);
            }
        });
    }

    void send(const T& value) {
        // Iterate over a copy: handlers may subscribe or cancel while we deliver.
        auto snapshot = core_->entries;
        for (const auto& entry : snapshot) {
            if (entry->active) {
                entry->handler(value);
            }
        }
    }

    std::size_t subscriberCount() const { return core_->entries.size(); }

private:
    struct Entry {
        Handler handler;
        bool active;
    };
    struct Core {
        std::vector<std::shared_ptr<Entry>> entries;
    };
    std::shared_ptr<Core> core_ = std::make_shared<Core>();
};

} // namespace tavrilux
