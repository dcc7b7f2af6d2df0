#pragma once

#include "core/platform/RunningApplication.h"
#include "core/reactive/Subscription.h"

#include <functional>
#include <optional>

namespace tavrilux {

// The desktop's workspace: the frontmost application and the three notifications the engine
// follows.
//
// Contract:
// - frontmostApplication() answers from the desktop's current state (none when no application
//   is active).
// - Handlers run on the main thread, after the change has happened, in subscription order; the
//   activation handler receives the newly active application, or none when the desktop could not
//   say which one it is.
// - A handler never runs after its Subscription has ended.
class Workspace {
public:
    using ActivationHandler = std::function<void(const std::optional<RunningApplication>&)>;

    Workspace() = default;
    virtual ~Workspace() = default;
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    virtual std::optional<RunningApplication> frontmostApplication() const = 0;
    [[nodiscard]] virtual Subscription onApplicationActivated(ActivationHandler handler) = 0;
    [[nodiscard]] virtual Subscription onActiveSpaceChanged(std::function<void()> handler) = 0;
    [[nodiscard]] virtual Subscription onScreenParametersChanged(std::function<void()> handler) = 0;
};

} // namespace tavrilux
