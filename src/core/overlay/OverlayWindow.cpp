#include "core/overlay/OverlayWindow.h"

#include "core/animation/AnimationConstants.h"

namespace tavrilux {

OverlayWindow::OverlayWindow(const Rect& screenFrame, MainQueue& queue, bool backdropAvailable)
    : frame_(screenFrame), host_(std::make_shared<AnimationHost>(queue)), alphaLayer_(host_),
      view_(std::make_unique<OverlayView>(host_, screenFrame.width, screenFrame.height,
                                          backdropAvailable)) {
    alphaLayer_.setValue(kAlphaKeyPath, 1.0);
}

OverlayWindow::~OverlayWindow() {
    host_->setChangeHandler(nullptr);
}

std::shared_ptr<OverlayWindow> OverlayWindow::make(const Rect& screenFrame, MainQueue& queue,
                                                   OverlayWindowFactory& factory) {
    std::shared_ptr<OverlayWindow> window(
        new OverlayWindow(screenFrame, queue, factory.isBackdropAvailable()));
    window->port_ = factory.makeWindow(screenFrame, *window);
    OverlayWindowPort* port = window->port_.get();
    window->host_->setChangeHandler([port] { port->setNeedsDisplay(); });
    return window;
}

void OverlayWindow::apply(const DimmingConfiguration& configuration, bool animated) {
    const auto& c = configuration.overlayColor;
    const Rgba target{c.red, c.green, c.blue, clampToRange(configuration.tintIntensity, 0, 1)};
    Layer& dim = view_->dimLayer();
    const auto from = dim.presentationValue(OverlayView::kBackgroundColor)
                          .value_or(AnimatableValue{Rgba::clear()});
    dim.removeAnimation("dimColor");
    if (animated) {
        BasicAnimation a;
        a.keyPath = OverlayView::kBackgroundColor;
        a.fromValue = from;
        a.toValue = target;
        a.duration = Seconds{0.18};
        a.timingFunction = AnimationConstants::TimingFunction::easeOut();
        a.fillMode = FillMode::forwards;
        dim.addAnimation(std::move(a), "dimColor");
    }
    dim.setValue(OverlayView::kBackgroundColor, target);

    const OverlayEffect effect{configuration.blurIntensity, configuration.grainIntensity,
                               configuration.effectMode, configuration.ambientFadeStart,
                               configuration.auraIntensity};
    view_->setGlassEffect(effect, animated, Seconds{animated ? 0.18 : 0.0},
                          AnimationConstants::TimingFunction::easeOut(), Seconds{0.0});
}

void OverlayWindow::updatePlacement(WindowNumber relativeTo, WindowOrderingMode mode,
                                    std::optional<Rect> windowFrame) {
    if (!isOnActiveSpace()) {
        orderOut();
    }
    order(mode, relativeTo);
    if (windowFrame) {
        view_->setGlassFrame(convertFromScreen(*windowFrame), false, Seconds{0.0});
    }
}

void OverlayWindow::animateAlpha(double alpha, Seconds duration,
                                 const MediaTimingFunction& timingFunction,
                                 std::function<void()> completion) {
    if (duration.count() > 0.0) {
        BasicAnimation a;
        a.keyPath = kAlphaKeyPath;
        a.toValue = alpha;
        a.duration = duration;
        a.timingFunction = timingFunction;
        a.fillMode = FillMode::forwards;
        // Like an animation group's completion: it runs once the fade is over, also when a newer
        // fade of the alpha took over first.
        if (completion) {
            a.completion = [completion = std::move(completion)](bool) { completion(); };
        }
        alphaLayer_.addAnimation(std::move(a), kAlphaKeyPath);
        alphaLayer_.setValue(kAlphaKeyPath, alpha);
        return;
    }
    setAlphaValue(alpha);
    if (completion) {
        completion();
    }
}

void OverlayWindow::hide(Seconds duration, const MediaTimingFunction& timingFunction,
                         bool orderOutWhenFinished, std::function<void()> completion) {
    std::weak_ptr<OverlayWindow> weakSelf = weak_from_this();
    animateAlpha(0.0, duration, timingFunction,
                 [weakSelf, orderOutWhenFinished, completion = std::move(completion)] {
                     if (orderOutWhenFinished) {
                         if (auto self = weakSelf.lock()) {
                             self->orderOut();
                         }
                     }
                     if (completion) {
                         completion();
                     }
                 });
}

void OverlayWindow::order(WindowOrderingMode mode, WindowNumber relativeTo) {
    port_->order(mode, relativeTo);
}

void OverlayWindow::orderOut() {
    port_->orderOut();
}

bool OverlayWindow::isVisible() const {
    return port_->isVisible();
}

bool OverlayWindow::isOnActiveSpace() const {
    return port_->isOnActiveSpace();
}

double OverlayWindow::alphaValue() const {
    return alphaLayer_.doubleValue(kAlphaKeyPath, 1.0);
}

void OverlayWindow::setAlphaValue(double alpha) {
    alphaLayer_.removeAnimation(kAlphaKeyPath);
    alphaLayer_.setValue(kAlphaKeyPath, alpha);
}

double OverlayWindow::presentationAlpha() const {
    return alphaLayer_.presentationDouble(kAlphaKeyPath, 1.0);
}

Rect OverlayWindow::convertFromScreen(const Rect& rect) const {
    return Rect{rect.x - frame_.x, rect.y - frame_.y, rect.width, rect.height};
}

OverlayPaintState OverlayWindow::paintState() const {
    return view_->paintState(presentationAlpha());
}

bool OverlayWindow::isAnimating() const {
    return alphaLayer_.hasAnimations() || view_->hasAnimations();
}

} // namespace tavrilux
