#pragma once

#include "core/platform/GlobalHotKey.h"

namespace tavrilux::fakes {

// A hot key the test presses.
class FakeGlobalHotKey final : public GlobalHotKey {
public:
    int registerHotKey(std::function<void()> onPress) override {
        onPress_ = std::move(onPress);
        return 0;
    }
    void unregisterHotKey() override { onPress_ = nullptr; }

    bool isRegistered() const { return static_cast<bool>(onPress_); }
    // One press, delivered at once (the real one posts it to the main queue).
    void press() {
        if (onPress_) {
            onPress_();
        }
    }

private:
    std::function<void()> onPress_;
};

} // namespace tavrilux::fakes
