#include "platform/x11/X11OverlayWindow.h"

#include "platform/x11/X11OverlayWindowFactory.h"
#include "platform/x11/X11RootStacking.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace tavrilux::x11 {
namespace {

std::uint8_t channel(double value, double alpha) {
    const double v = std::clamp(value, 0.0, 1.0) * std::clamp(alpha, 0.0, 1.0);
    return static_cast<std::uint8_t>(std::lround(v * 255.0));
}

std::uint32_t premultiplied(const Rgba& c) {
    const auto a = static_cast<std::uint32_t>(std::lround(std::clamp(c.alpha, 0.0, 1.0) * 255.0));
    return (a << 24) | (std::uint32_t{channel(c.red, c.alpha)} << 16) |
           (std::uint32_t{channel(c.green, c.alpha)} << 8) | channel(c.blue, c.alpha);
}

// Content that is one colour over the whole window: drawn by the server from the background
// pixel, with nothing to upload.
bool isUniform(const OverlayPaintState& s) {
    return std::holds_alternative<OverlayPaintState::NoMask>(s.mask) &&
           !(s.blurVisible && !s.usesBackdrop && s.fallbackAlpha > 0.0) && s.grainOpacity <= 0.0 &&
           s.borderOpacity <= 0.0;
}

} // namespace

X11OverlayWindow::X11OverlayWindow(X11OverlayWindowFactory& factory,
                                   const OverlayPaintSource& source,
                                   std::unique_ptr<X11OverlaySurface> surface)
    : factory_(factory), source_(source), surface_(std::move(surface)) {
    factory_.windows_.insert(this);
}

X11OverlayWindow::~X11OverlayWindow() {
    frameTask_.cancel();
    waitTask_.cancel();
    resumeTask_.cancel();
    factory_.windows_.erase(this);
    if (mapped_ && !surface_->destroyed) {
        xcb_unmap_window(factory_.connection_, surface_->window);
    }
    factory_.keepSurface(std::move(surface_));
}

void X11OverlayWindow::order(WindowOrderingMode mode, WindowNumber relativeTo) {
    wanted_ = true;
    placement_ = Placement{mode, relativeTo};
    // A new order from the engine: the window manager gets its chances again.
    corrections_.clear();
    paused_ = false;
    resumeTask_.cancel();
    triedAt_.reset();
    if (factory_.hasCompositor_) {
        applyPlacement();
    }
}

void X11OverlayWindow::orderOut() {
    wanted_ = false;
    if (mapped_) {
        unmap();
        xcb_flush(factory_.connection_);
    }
}

void X11OverlayWindow::unmap() {
    xcb_unmap_window(factory_.connection_, surface_->window);
    mapped_ = false;
    managedMapped_ = false;
}

bool X11OverlayWindow::isOnActiveSpace() const {
    if (!wanted_ || anchorFrame_ == 0) {
        return true;
    }
    factory_.catchUp();
    return factory_.stacking_->isMapped(anchorFrame_);
}

void X11OverlayWindow::setNeedsDisplay() {
    // An unmapped window is drawn when it is mapped; until then no frame runs for it.
    if (!mapped_) {
        dirty_ = true;
        return;
    }
    scheduleFrame();
}

void X11OverlayWindow::compositorChanged(bool present) {
    if (present && wanted_) {
        applyPlacement();
    } else if (!present && mapped_) {
        unmap();
    }
}

void X11OverlayWindow::managedWindowShown() {
    if (mapped_ && !managedMapped_) {
        managedMapped_ = true;
        topLevel_ = 0;
        restack(targetFrame());
    }
}

xcb_window_t X11OverlayWindow::targetFrame() const {
    if (!placement_ || placement_->mode != WindowOrderingMode::below) {
        return anchorFrame_;
    }
    const auto owner = factory_.ownerOfTopLevel(anchorFrame_);
    if (!owner) {
        return anchorFrame_;
    }
    return factory_.stacking_->endOfRunBelow(
        anchorFrame_,
        [&](xcb_window_t w) {
            const auto other = factory_.ownerOfTopLevel(w);
            return other && other->pid == owner->pid;
        },
        [this](const X11RootStacking::Child& c) { return showsNothingHere(c); });
}

bool X11OverlayWindow::showsNothingHere(const X11RootStacking::Child& child) const {
    const X11OverlaySurface& s = *surface_;
    return factory_.isOwnTopLevel(child.window) ||
           !child.meets(s.x, s.y, s.x + s.width, s.y + s.height);
}

bool X11OverlayWindow::isInPlace(xcb_window_t target) {
    const xcb_window_t own = topLevel();
    // What does not show over our rectangle may lie between.
    const auto passOver = [this](const X11RootStacking::Child& c) { return showsNothingHere(c); };
    return placement_->mode == WindowOrderingMode::below
               ? factory_.stacking_->directlyBelow(own, target, passOver)
               : factory_.stacking_->directlyBelow(target, own, passOver);
}

void X11OverlayWindow::keepInPlace() {
    if (!mapped_ || !placement_ || anchorFrame_ == 0 ||
        (factory_.managed_ && (!managedMapped_ || waiting_ != Waiting::no)) ||
        surface_->destroyed || paused_ || !factory_.stacking_->contains(anchorFrame_)) {
        return;
    }
    if (restackSent_) {
        if (!factory_.hasHandled(*restackSent_)) {
            return;
        }
        restackSent_.reset();
    }
    const xcb_window_t target = targetFrame();
    if (isInPlace(target)) {
        return;
    }
    // KWin left everything as it was after our last try: asking again changes nothing.
    if (factory_.managed_ && triedAt_ == factory_.stacking_->generation()) {
        return;
    }
    const Seconds now = factory_.queue_.now();
    std::erase_if(corrections_, [now](Seconds at) {
        return now - at >= X11OverlayWindowFactory::kCorrectionSpan;
    });
    if (corrections_.size() >= X11OverlayWindowFactory::kMaxCorrections) {
        // A window manager that insists gets its way for a while; restacks that came in a burst
        // (a user changing a window's layer twice) are still put right once it has passed.
        paused_ = true;
        const Seconds resumeIn =
            corrections_.front() + X11OverlayWindowFactory::kCorrectionSpan - now;
        resumeTask_ = factory_.queue_.postAfter(resumeIn, [this] {
            paused_ = false;
            factory_.readEvents();
            keepInPlace();
            xcb_flush(factory_.connection_);
        });
        return;
    }
    corrections_.push_back(now);
    ++factory_.corrections_;
    triedAt_ = factory_.stacking_->generation();
    // KWin put it below the anchor with windows between: it went below the first window of the
    // anchor's application in KWin's own order, a dialog KWin keeps drawn above its parent. Such
    // dialogs are first moved to their parents in that order, where they show.
    if (factory_.managed_ && placement_->mode == WindowOrderingMode::below) {
        const auto at = factory_.stacking_->indexOf(topLevel());
        const auto anchorAt = factory_.stacking_->indexOf(anchorFrame_);
        if (at && anchorAt && *at < *anchorAt) {
            factory_.settleTransientsAbove(anchorClient_);
        }
    }
    restack(target);
    xcb_flush(factory_.connection_);
}

void X11OverlayWindow::configureSent(std::uint16_t sequence) {
    if (waiting_ == Waiting::forAnswer && madeAfterRequest(sequence)) {
        factory_.answersRestacks_ = true;
        waitFor(Waiting::forResult, X11OverlayWindowFactory::kRestackResultTimeout);
    }
}

void X11OverlayWindow::stackingListed(std::uint16_t sequence) {
    if (waiting_ == Waiting::forResult ||
        (waiting_ == Waiting::forAnswer && !factory_.answersRestacks_ &&
         madeAfterRequest(sequence))) {
        stopWaiting();
    }
}

bool X11OverlayWindow::madeAfterRequest(std::uint16_t sequence) const {
    const auto sent = static_cast<std::uint16_t>(requestSequence_);
    return static_cast<std::int16_t>(sequence - sent) >= 0;
}

void X11OverlayWindow::waitFor(Waiting waiting, Seconds timeout) {
    waiting_ = waiting;
    waitTask_.cancel();
    // The destructor cancels the task, so it never runs for a window that is gone.
    waitTask_ = factory_.queue_.postAfter(timeout, [this] {
        stopWaiting();
        keepInPlace();
        xcb_flush(factory_.connection_);
    });
}

void X11OverlayWindow::stopWaiting() {
    waiting_ = Waiting::no;
    waitTask_.cancel();
}

xcb_window_t X11OverlayWindow::topLevel() {
    if (!factory_.managed_) {
        return surface_->window;
    }
    if (topLevel_ == 0 || !factory_.stacking_->contains(topLevel_)) {
        topLevel_ = factory_.frameOf(surface_->window).value_or(0);
    }
    return topLevel_;
}

xcb_window_t X11OverlayWindow::cachedTopLevel() const {
    return factory_.managed_ ? topLevel_ : surface_->window;
}

void X11OverlayWindow::applyPlacement() {
    xcb_connection_t* c = factory_.connection_;
    if (!shouldShow()) {
        return;
    }
    if (placement_) {
        const auto frame = factory_.frameOf(static_cast<xcb_window_t>(placement_->relativeTo));
        // A window never stacked yet would appear on top of everything, over the focused
        // window too: it waits for a window the desktop knows (the next scene brings one).
        const bool known = frame && *frame != surface_->window && *frame != topLevel_;
        if (!known && anchorFrame_ == 0) {
            return;
        }
        if (known) {
            anchorFrame_ = *frame;
            anchorClient_ = static_cast<xcb_window_t>(placement_->relativeTo);
            // The stacking as far as the server has told it: a raise the engine did not see yet
            // may have been read already.
            factory_.readEvents();
            // Those events may have taken the compositor or the window away.
            if (!shouldShow()) {
                return;
            }
            const xcb_window_t target = targetFrame();
            if (!isInPlace(target)) {
                restack(target);
            }
        }
    }
    if (!mapped_) {
        if (!painted_ || dirty_) {
            draw(source_.paintState());
        }
        xcb_map_window(c, surface_->window);
        mapped_ = true;
        if (source_.isAnimating()) {
            scheduleFrame();
        }
    }
    xcb_flush(c);
}

bool X11OverlayWindow::shouldShow() const {
    return wanted_ && factory_.hasCompositor_ && !surface_->destroyed;
}

void X11OverlayWindow::restack(xcb_window_t target) {
    if (!placement_ || target == 0 || surface_->destroyed) {
        return;
    }
    const bool below = placement_->mode == WindowOrderingMode::below;
    if (!factory_.managed_) {
        const std::uint32_t values[] = {target, below ? std::uint32_t{XCB_STACK_MODE_BELOW}
                                                      : std::uint32_t{XCB_STACK_MODE_ABOVE}};
        restackSent_ =
            xcb_configure_window(factory_.connection_, surface_->window,
                                 XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values)
                .sequence;
    } else if (managedMapped_) {
        xcb_window_t client = anchorClient_;
        if (target != anchorFrame_) {
            client = factory_.ownerOfTopLevel(target).value_or(X11TopLevelOwner{0, client}).client;
        }
        requestSequence_ = factory_.requestRestack(surface_->window, client, below);
        // What shows until KWin has handled the request is not its result: KWin restacks with
        // one request a window, seen one at a time.
        waitFor(Waiting::forAnswer, X11OverlayWindowFactory::kRestackAnswerTimeout);
    }
}

void X11OverlayWindow::scheduleFrame() {
    if (frameScheduled_) {
        return;
    }
    frameScheduled_ = true;
    // The destructor cancels the task, so it never runs for a window that is gone.
    frameTask_ = factory_.queue_.post([this] { frame(); });
}

void X11OverlayWindow::frame() {
    frameScheduled_ = false;
    if (!mapped_) {
        dirty_ = true;
        return;
    }
    draw(source_.paintState());
    if (source_.isAnimating()) {
        frameScheduled_ = true;
        frameTask_ =
            factory_.queue_.postAfter(X11OverlayWindowFactory::kFrameInterval, [this] { frame(); });
    }
}

void X11OverlayWindow::draw(const OverlayPaintState& state) {
    xcb_connection_t* c = factory_.connection_;
    if (surface_->destroyed) {
        return;
    }
    if (!painted_ || state.windowAlpha != lastAlpha_) {
        const double a = std::clamp(state.windowAlpha, 0.0, 1.0);
        const auto opacity = static_cast<std::uint32_t>(std::llround(a * 4294967295.0));
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, surface_->window, factory_.atoms_.opacity,
                            XCB_ATOM_CARDINAL, 32, 1, &opacity);
        lastAlpha_ = state.windowAlpha;
        ++factory_.alphaUpdates_;
    }
    if (!painted_ || !state.sameContent(lastState_)) {
        paintContent(state);
        lastState_ = state;
        ++factory_.repaints_;
    }
    painted_ = true;
    dirty_ = false;
    xcb_flush(c);
}

void X11OverlayWindow::paintContent(const OverlayPaintState& state) {
    xcb_connection_t* c = factory_.connection_;
    X11OverlaySurface& s = *surface_;
    const int width = s.width;
    const int height = s.height;
    if (isUniform(state)) {
        const std::uint32_t pixel = premultiplied(state.tintColor);
        xcb_change_window_attributes(c, s.window, XCB_CW_BACK_PIXEL, &pixel);
        if (s.pixmap != 0) {
            xcb_free_pixmap(c, s.pixmap);
            s.pixmap = 0;
        }
    } else {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) *
                                          static_cast<std::size_t>(height));
        if (factory_.renderer_) {
            factory_.renderer_(state, pixels.data(), width, height);
        }
        if (s.pixmap == 0) {
            s.pixmap = xcb_generate_id(c);
            xcb_create_pixmap(c, 32, s.pixmap, s.window, static_cast<std::uint16_t>(width),
                              static_cast<std::uint16_t>(height));
        }
        if (s.gc == 0) {
            s.gc = xcb_generate_id(c);
            xcb_create_gc(c, s.gc, s.pixmap, 0, nullptr);
        }
        // Upload in strips that fit the server's request size.
        const std::size_t maxBytes = std::size_t{xcb_get_maximum_request_length(c)} * 4 - 64;
        const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
        const int rowsPerStrip = std::max(1, static_cast<int>(maxBytes / rowBytes));
        for (int y = 0; y < height; y += rowsPerStrip) {
            const int rows = std::min(rowsPerStrip, height - y);
            xcb_put_image(
                c, XCB_IMAGE_FORMAT_Z_PIXMAP, s.pixmap, s.gc, static_cast<std::uint16_t>(width),
                static_cast<std::uint16_t>(rows), 0, static_cast<std::int16_t>(y), 0, 32,
                static_cast<std::uint32_t>(rowBytes * static_cast<std::size_t>(rows)),
                reinterpret_cast<const std::uint8_t*>(
                    pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width)));
        }
        xcb_change_window_attributes(c, s.window, XCB_CW_BACK_PIXMAP, &s.pixmap);
    }
    xcb_clear_area(c, 0, s.window, 0, 0, 0, 0);

    const bool blurBehind = state.usesBackdrop && state.blurVisible && state.blurRadius > 0.0;
    if (blurBehind) {
        const Rect& r = state.blurFrame;
        const std::uint32_t region[] = {
            static_cast<std::uint32_t>(std::lround(r.x)),
            static_cast<std::uint32_t>(std::lround(state.bounds.height - r.y - r.height)),
            static_cast<std::uint32_t>(std::lround(r.width)),
            static_cast<std::uint32_t>(std::lround(r.height))};
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, s.window, factory_.atoms_.blurRegion,
                            XCB_ATOM_CARDINAL, 32, 4, region);
        s.blurHinted = true;
    } else if (s.blurHinted) {
        xcb_delete_property(c, s.window, factory_.atoms_.blurRegion);
        s.blurHinted = false;
    }
}

} // namespace tavrilux::x11
