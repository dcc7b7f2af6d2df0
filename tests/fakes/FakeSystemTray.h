#pragma once

#include "core/platform/SystemTray.h"

#include <optional>

namespace tavrilux::fakes {

// A tray whose colours the test sets.
class FakeSystemTray final : public SystemTray {
public:
    std::optional<Rgba> iconForeground() const override { return foreground_; }
    void setChangeHandler(ChangeHandler handler) override { handler_ = std::move(handler); }

    bool isWatched() const { return static_cast<bool>(handler_); }
    // The tray names `foreground` (none: no colour); reported at once (the real one posts it to
    // the main queue).
    void change(std::optional<Rgba> foreground) {
        foreground_ = foreground;
        if (handler_) {
            handler_();
        }
    }

private:
    std::optional<Rgba> foreground_;
    ChangeHandler handler_;
};

} // namespace tavrilux::fakes
