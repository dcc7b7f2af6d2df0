#pragma once

#include "core/platform/GlobalHotKey.h"

namespace tavrilux::fakes {

// A hot key the test presses, and whose keyboard the test changes.
class FakeGlobalHotKey final : public GlobalHotKey {
public:
    int registerHotKey(std::function<void()> onPress,
                       std::function<void(int)> onKeymapChange) override {
        if (registrationStatus != 0 && registrationStatus != kNoKey) {
            return registrationStatus;
        }
        onPress_ = std::move(onPress);
        onKeymapChange_ = std::move(onKeymapChange);
        return registrationStatus;
    }
    void unregisterHotKey() override {
        onPress_ = nullptr;
        onKeymapChange_ = nullptr;
    }

    bool isRegistered() const { return static_cast<bool>(onPress_); }
    // One press, delivered at once (the real one posts it to the main queue).
    void press() {
        if (onPress_) {
            onPress_();
        }
    }
    // The keyboard changed and the combination was claimed anew with `status`; delivered at once.
    void changeKeymap(int status) {
        if (onKeymapChange_) {
            onKeymapChange_(status);
        }
    }

    // What the next registration returns.
    int registrationStatus = 0;

private:
    std::function<void()> onPress_;
    std::function<void(int)> onKeymapChange_;
};

} // namespace tavrilux::fakes
