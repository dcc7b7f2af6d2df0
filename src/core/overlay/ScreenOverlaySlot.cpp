#include "core/overlay/ScreenOverlaySlot.h"

#include "core/animation/AnimationConstants.h"

#include <algorithm>

namespace tavrilux {

ScreenOverlaySlot::Token ScreenOverlaySlot::freshToken() {
    static Token next = 1;
    return next++;
}

std::shared_ptr<ScreenOverlaySlot>
ScreenOverlaySlot::make(const ScreenGeometry& screen, const DimmingConfiguration& configuration,
                        MainQueue& queue, OverlayWindowFactory& factory) {
    return std::shared_ptr<ScreenOverlaySlot>(
        new ScreenOverlaySlot(screen, configuration, queue, factory));
}

ScreenOverlaySlot::ScreenOverlaySlot(const ScreenGeometry& screen,
                                     const DimmingConfiguration& configuration, MainQueue& queue,
                                     OverlayWindowFactory& factory)
    : screenID_(screen.id), screen_(screen), queue_(queue), factory_(factory),
      steady_(OverlayWindow::make(screen.frame, queue, factory)), configuration_(configuration),
      hideID_(freshToken()) {}

ScreenOverlaySlot::State ScreenOverlaySlot::state() const {
    if (transition_) {
        return pendingPresentation_ ? State::crossfadingWithPending : State::crossfading;
    }
    return currentPresentation_ ? State::showing : State::idle;
}

std::optional<ScreenOverlayPresentation> ScreenOverlaySlot::transitionPresentation() const {
    if (!transition_) {
        return std::nullopt;
    }
    return transition_->presentation;
}

bool ScreenOverlaySlot::isOnActiveSpace() const {
    if (transition_) {
        return transition_->outgoing->isOnActiveSpace() || transition_->incoming->isOnActiveSpace();
    }
    return steady_->isOnActiveSpace();
}

void ScreenOverlaySlot::place(OverlayWindow& window,
                              const ScreenOverlayPresentation& presentation) {
    if (const ScreenFocusTarget* target = presentation.target()) {
        window.updatePlacement(target->anchorWindowNumber, WindowOrderingMode::below,
                               target->windowFrame);
    } else {
        window.updatePlacement(*presentation.aboveWindowNumber(), WindowOrderingMode::above,
                               std::nullopt);
    }
}

void ScreenOverlaySlot::show(OverlayWindow& window, const ScreenOverlayPresentation& presentation) {
    if (const ScreenFocusTarget* target = presentation.target()) {
        window.contentView().setGlassFrame(window.convertFromScreen(target->windowFrame), false,
                                           Seconds{0.0});
    }
    window.apply(configuration_, false);
    window.setAlphaValue(0.0);
    if (!window.isOnActiveSpace()) {
        window.orderOut();
    }
    if (const ScreenFocusTarget* target = presentation.target()) {
        window.order(WindowOrderingMode::below, target->anchorWindowNumber);
    } else {
        window.order(WindowOrderingMode::above, *presentation.aboveWindowNumber());
    }
}

std::function<void()> ScreenOverlaySlot::finishCallback(Token id) {
    std::weak_ptr<ScreenOverlaySlot> weakSelf = weak_from_this();
    return [weakSelf, id] {
        if (auto self = weakSelf.lock()) {
            self->finishTransition(id);
        }
    };
}

void ScreenOverlaySlot::setPresentation(const ScreenOverlayPresentation& presentation) {
    hideID_ = freshToken();
    if (transition_) {
        if (presentation.isSameFamily(transition_->presentation)) {
            transition_->presentation = presentation;
            place(*transition_->incoming, presentation);
            pendingPresentation_.reset();
        } else {
            pendingPresentation_ = presentation;
            accelerate();
        }
        return;
    }
    if (!currentPresentation_) {
        currentPresentation_ = presentation;
        show(*steady_, presentation);
        steady_->animateAlpha(1.0, Seconds{configuration_.appearanceDuration},
                              AnimationConstants::TimingFunction::easeInEaseOut(), nullptr);
        return;
    }
    if (presentation.isSameFamily(*currentPresentation_)) {
        currentPresentation_ = presentation;
        place(*steady_, presentation);
        return;
    }
    startTransition(presentation);
}

void ScreenOverlaySlot::startTransition(const ScreenOverlayPresentation& presentation) {
    auto incoming = OverlayWindow::make(screen_.frame, queue_, factory_);
    transition_ = Transition{freshToken(), presentation, steady_, incoming};
    show(*incoming, presentation);
    const Seconds duration{configuration_.appearanceDuration};
    incoming->animateAlpha(1.0, duration, AnimationConstants::TimingFunction::easeOut(),
                           finishCallback(transition_->id));
    transition_->outgoing->hide(duration, AnimationConstants::TimingFunction::easeIn(), false,
                                nullptr);
}

void ScreenOverlaySlot::accelerate() {
    transition_->id = freshToken();
    const Seconds duration{std::min(configuration_.appearanceDuration, kHurriedCrossfadeSeconds)};
    // No alpha is reset: the faster fades take over from wherever the running ones are.
    transition_->incoming->animateAlpha(1.0, duration,
                                        AnimationConstants::TimingFunction::easeOut(),
                                        finishCallback(transition_->id));
    transition_->outgoing->animateAlpha(0.0, duration, AnimationConstants::TimingFunction::easeIn(),
                                        nullptr);
}

void ScreenOverlaySlot::finishTransition(Token id) {
    if (!transition_ || transition_->id != id) {
        return;
    }
    Transition finished = std::move(*transition_);
    transition_.reset();
    finished.outgoing->orderOut();
    steady_ = finished.incoming;
    currentPresentation_ = finished.presentation;
    if (pendingPresentation_) {
        ScreenOverlayPresentation next = std::move(*pendingPresentation_);
        pendingPresentation_.reset();
        if (next.isSameFamily(*currentPresentation_)) {
            currentPresentation_ = next;
            place(*steady_, next);
        } else {
            startTransition(next);
        }
    }
}

void ScreenOverlaySlot::clear(double duration) {
    const Token token = freshToken();
    hideID_ = token;
    pendingPresentation_.reset();
    if (transition_) {
        transition_->incoming->orderOut();
        transition_->outgoing->setAlphaValue(1.0);
        steady_ = transition_->outgoing;
        transition_.reset();
    }
    currentPresentation_.reset();
    std::weak_ptr<ScreenOverlaySlot> weakSelf = weak_from_this();
    std::weak_ptr<OverlayWindow> weakWindow = steady_;
    steady_->hide(Seconds{duration}, AnimationConstants::TimingFunction::easeInEaseOut(), false,
                  [weakSelf, weakWindow, token] {
                      auto self = weakSelf.lock();
                      auto window = weakWindow.lock();
                      if (self && window && self->hideID_ == token && !self->currentPresentation_) {
                          window->orderOut();
                      }
                  });
}

void ScreenOverlaySlot::update(const DimmingConfiguration& configuration) {
    configuration_ = configuration;
    if (currentPresentation_) {
        steady_->apply(configuration, true);
    }
    if (transition_) {
        transition_->incoming->apply(configuration, currentPresentation_.has_value());
    }
}

void ScreenOverlaySlot::tearDown() {
    pendingPresentation_.reset();
    if (transition_) {
        transition_->incoming->orderOut();
        transition_->outgoing->orderOut();
    }
    transition_.reset();
    steady_->orderOut();
    currentPresentation_.reset();
}

} // namespace tavrilux
