#pragma once

#include "core/theme/Rgba.h"

#include <functional>
#include <optional>

namespace tavrilux {

// The system tray the status icon shows in, as far as the icon's colours go.
//
// Contract:
// - iconForeground() is the colour the running tray asks its icons to draw in; none while no
//   tray runs or it names none. It asks the desktop nothing: the answer is kept up to date.
// - setChangeHandler() replaces the handler that runs, in a main-queue task, after that colour
//   changed or another tray took over (also when the tray quit). An empty one stops the reports.
// Main thread only.
class SystemTray {
public:
    using ChangeHandler = std::function<void()>;

    SystemTray() = default;
    virtual ~SystemTray() = default;
    SystemTray(const SystemTray&) = delete;
    SystemTray& operator=(const SystemTray&) = delete;

    virtual std::optional<Rgba> iconForeground() const = 0;
    virtual void setChangeHandler(ChangeHandler handler) = 0;
};

} // namespace tavrilux
