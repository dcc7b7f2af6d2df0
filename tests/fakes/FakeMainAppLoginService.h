#pragma once

#include "core/services/MainAppLoginService.h"

#include <functional>

namespace tavrilux::fakes {

// A login service whose status the test sets; registering makes it enabled, unregistering
// not registered, unless the test makes the call fail.
class FakeMainAppLoginService final : public MainAppLoginService {
public:
    LoginItemStatus status() const override {
        if (onCall) {
            onCall();
        }
        return status_;
    }
    std::optional<ServiceFailure> registerApp() override {
        ++registerCalls;
        if (failure) {
            return failure;
        }
        status_ = statusAfterRegister;
        return std::nullopt;
    }
    std::optional<ServiceFailure> unregisterApp() override {
        ++unregisterCalls;
        if (failure) {
            return failure;
        }
        status_ = LoginItemStatus::notRegistered;
        return std::nullopt;
    }

    void setStatus(LoginItemStatus status) { status_ = status; }

    std::optional<ServiceFailure> failure;
    // Runs at the start of every status read (a test may block it there).
    std::function<void()> onCall;
    LoginItemStatus statusAfterRegister = LoginItemStatus::enabled;
    int registerCalls = 0;
    int unregisterCalls = 0;

private:
    LoginItemStatus status_ = LoginItemStatus::notRegistered;
};

} // namespace tavrilux::fakes
