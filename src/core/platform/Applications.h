#pragma once

#include "core/focus/Identifiers.h"
#include "core/focus/WindowApplication.h"
#include "core/platform/RunningApplication.h"

#include <optional>
#include <string_view>

namespace tavrilux {

// The application key of the process that owns the desktop's overview entry (see WindowServer).
inline constexpr std::string_view kOverviewOwnerKey = "tavrilux.desktop-overview";

// The running applications of the desktop.
//
// Contract:
// - runningApplication() answers for one process id: none when the process is not a running
//   application; otherwise its application key (bundle identifier, absent when it has none),
//   name, icon and activation policy. Regular means the application shows in the task bar with
//   windows of its own; accessory and prohibited applications are not focus targets.
// - Answers reflect the desktop as of the latest window snapshot; main thread only.
class Applications {
public:
    Applications() = default;
    virtual ~Applications() = default;
    Applications(const Applications&) = delete;
    Applications& operator=(const Applications&) = delete;

    virtual std::optional<RunningApplication> runningApplication(ProcessID pid) const = 0;
};

// The focus detection's lookup: a WindowApplication for regular applications only.
inline ApplicationLookup windowApplicationLookup(const Applications& applications) {
    return [&applications](ProcessID pid) -> std::optional<WindowApplication> {
        auto app = applications.runningApplication(pid);
        if (!app || app->activationPolicy != ActivationPolicy::regular) {
            return std::nullopt;
        }
        return WindowApplication{std::move(app->bundleIdentifier)};
    };
}

} // namespace tavrilux
