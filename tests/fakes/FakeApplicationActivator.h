#pragma once

#include "core/platform/ApplicationActivator.h"

#include <functional>
#include <vector>

namespace tavrilux::fakes {

// Records activations and hands each to an optional hook (a fake desktop raising the windows).
class FakeApplicationActivator final : public ApplicationActivator {
public:
    struct Call {
        RunningApplication application;
        bool allWindows;
    };

    void activate(const RunningApplication& application, bool allWindows) override {
        calls.push_back(Call{application, allWindows});
        if (onActivate) {
            onActivate(application);
        }
    }

    std::vector<Call> calls;
    std::function<void(const RunningApplication&)> onActivate;
};

} // namespace tavrilux::fakes
