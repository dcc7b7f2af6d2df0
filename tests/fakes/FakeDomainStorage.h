#pragma once

#include "core/defaults/DomainStorage.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tavrilux::fakes {

// A domain kept in a string the test can preload and inspect after handing the storage over. Safe
// to inspect while the writer thread stores.
class FakeDomainStorage final : public DomainStorage {
public:
    struct State {
        mutable std::mutex mutex;
        std::optional<std::string> text;      // what load() returns and store() replaces
        std::optional<std::string> asideText; // what setAside() moved away
        std::vector<std::string> calls;       // "load", "setAside", "store" in call order
        int storeCount = 0;                   // successful stores
        mutable std::condition_variable storeDone;

        std::optional<std::string> stored() const {
            std::lock_guard lock(mutex);
            return text;
        }
        // Waits for a successful store beyond the first `count`, at most `timeout`; false when
        // none came.
        bool waitForStore(int count, std::chrono::milliseconds timeout) const {
            std::unique_lock lock(mutex);
            return storeDone.wait_for(lock, timeout, [&] { return storeCount > count; });
        }
    };

    explicit FakeDomainStorage(std::shared_ptr<State> state) : state_(std::move(state)) {}

    StoredText load() override {
        std::lock_guard lock(state_->mutex);
        state_->calls.push_back("load");
        if (!state_->text) {
            return {};
        }
        return {StoredText::State::present, *state_->text};
    }
    bool setAside() override {
        std::lock_guard lock(state_->mutex);
        state_->calls.push_back("setAside");
        state_->asideText = std::exchange(state_->text, std::nullopt);
        return true;
    }
    bool store(const std::string& text) override {
        {
            std::lock_guard lock(state_->mutex);
            state_->calls.push_back("store");
            state_->text = text;
            ++state_->storeCount;
        }
        state_->storeDone.notify_all();
        return true;
    }
    std::string lastError() const override { return "refused by the test"; }
    std::string location() const override { return "fake"; }

private:
    std::shared_ptr<State> state_;
};

} // namespace tavrilux::fakes
