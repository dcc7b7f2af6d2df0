#pragma once

#include "core/platform/Workspace.h"
#include "core/reactive/Subject.h"

#include <variant>

namespace tavrilux::fakes {

// A workspace the test drives: set the frontmost application and post notifications on demand.
class FakeWorkspace final : public Workspace {
public:
    std::optional<RunningApplication> frontmostApplication() const override { return frontmost_; }
    Subscription onApplicationActivated(ActivationHandler handler) override {
        return activated_.subscribe(std::move(handler));
    }
    Subscription onActiveSpaceChanged(std::function<void()> handler) override {
        return space_.subscribe(
            [handler = std::move(handler)](const std::monostate&) { handler(); });
    }
    Subscription onScreenParametersChanged(std::function<void()> handler) override {
        return screens_.subscribe(
            [handler = std::move(handler)](const std::monostate&) { handler(); });
    }

    void setFrontmost(std::optional<RunningApplication> app) { frontmost_ = std::move(app); }
    // Makes `app` frontmost and posts the activation with it (or with none).
    void activate(const std::optional<RunningApplication>& app) {
        frontmost_ = app;
        activated_.send(app);
    }
    void changeSpace() { space_.send({}); }
    void changeScreens() { screens_.send({}); }
    std::size_t activationObserverCount() const { return activated_.subscriberCount(); }

private:
    std::optional<RunningApplication> frontmost_;
    Subject<std::optional<RunningApplication>> activated_;
    Subject<std::monostate> space_;
    Subject<std::monostate> screens_;
};

} // namespace tavrilux::fakes
