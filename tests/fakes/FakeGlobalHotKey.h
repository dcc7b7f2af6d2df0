#pragma once

#include "core/platform/GlobalHotKey.h"

namespace tavrilux::fakes {

// A hot key the test presses.
class FakeGlobalHotKey final : public GlobalHotKey {
public:
    int registerHotKey(std::function<void()> onPress) override {
        if (refusal != 0) {
            return refusal;
        }
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

    // The status registerHotKey() fails with; 0 to succeed.
    int refusal = 0;

private:
    std::function<void()> onPress_;
};

} // namespace tavrilux::fakes
