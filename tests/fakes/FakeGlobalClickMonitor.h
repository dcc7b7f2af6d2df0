#pragma once

#include "core/platform/GlobalClickMonitor.h"

namespace tavrilux::fakes {

// A click monitor the test clicks through.
class FakeGlobalClickMonitor final : public GlobalClickMonitor {
public:
    void arm(Handler handler) override { handler_ = std::move(handler); }
    void disarm() override { handler_ = nullptr; }
    bool isArmed() const override { return static_cast<bool>(handler_); }

    // A press at (x, y) while armed; ignored otherwise, as the desktop would not report it.
    void press(int x, int y, std::uint32_t time = 0) {
        if (handler_) {
            handler_(Press{x, y, time});
        }
    }

private:
    Handler handler_;
};

} // namespace tavrilux::fakes
