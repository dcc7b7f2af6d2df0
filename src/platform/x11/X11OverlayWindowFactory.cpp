#include "platform/x11/X11OverlayWindowFactory.h"

#include "platform/x11/X11RootStacking.h"
#include "platform/x11/XcbAtoms.h"
#include "platform/x11/XcbReply.h"

#include <xcb/randr.h>
#include <xcb/res.h>
#include <xcb/shape.h>
#include <xcb/xfixes.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
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

// Whether the compositor blurs what lies behind a window that asks for it: KWin announces its
// blur as a property of the hint's name on the root window, others list the hint in
// _NET_SUPPORTED.
bool announcesBlurBehind(xcb_connection_t* c, xcb_window_t root, xcb_atom_t blurRegion,
                         xcb_atom_t supported) {
    const auto ownCookie =
        xcb_get_property(c, 0, root, blurRegion, XCB_GET_PROPERTY_TYPE_ANY, 0, 0);
    const auto listCookie = xcb_get_property(c, 0, root, supported, XCB_ATOM_ATOM, 0, 4096);
    auto own = reply(xcb_get_property_reply(c, ownCookie, nullptr));
    auto list = reply(xcb_get_property_reply(c, listCookie, nullptr));
    if (own && own->type != XCB_ATOM_NONE) {
        return true;
    }
    if (!list || list->format != 32) {
        return false;
    }
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(list.get()));
    const int n = xcb_get_property_value_length(list.get()) / 4;
    return std::find(atoms, atoms + n, blurRegion) != atoms + n;
}

} // namespace

class X11OverlayWindow final : public OverlayWindowPort {
public:
    X11OverlayWindow(X11OverlayWindowFactory& factory, const OverlayPaintSource& source,
                     xcb_window_t window, int width, int height)
        : factory_(factory), source_(source), window_(window), width_(width), height_(height) {
        factory_.windows_.insert(this);
    }

    ~X11OverlayWindow() override {
        frameTask_.cancel();
        waitTask_.cancel();
        factory_.windows_.erase(this);
        xcb_connection_t* c = factory_.connection_;
        if (factory_.lifecycle_) {
            factory_.lifecycle_(window_, false);
        }
        xcb_destroy_window(c, window_);
        if (pixmap_ != 0) {
            xcb_free_pixmap(c, pixmap_);
        }
        if (gc_ != 0) {
            xcb_free_gc(c, gc_);
        }
        xcb_flush(c);
    }

    void order(WindowOrderingMode mode, WindowNumber relativeTo) override {
        wanted_ = true;
        placement_ = Placement{mode, relativeTo};
        // A new order from the engine: the window manager gets its chances again.
        corrections_.clear();
        gaveUp_ = false;
        triedAt_.reset();
        if (factory_.hasCompositor_) {
            applyPlacement();
        }
    }

    void orderOut() override {
        wanted_ = false;
        if (mapped_) {
            xcb_unmap_window(factory_.connection_, window_);
            mapped_ = false;
            managedMapped_ = false;
            xcb_flush(factory_.connection_);
        }
    }

    bool isVisible() const override { return wanted_; }

    // Our overlays belong to no workspace; one is on the active one while the window it is
    // placed against still shows (a window manager unmaps the windows of other workspaces).
    bool isOnActiveSpace() const override {
        if (!wanted_ || anchorFrame_ == 0) {
            return true;
        }
        factory_.catchUp();
        return factory_.stacking_->isMapped(anchorFrame_);
    }

    void setNeedsDisplay() override {
        // An unmapped window is drawn when it is mapped; until then no frame runs for it.
        if (!mapped_) {
            dirty_ = true;
            return;
        }
        scheduleFrame();
    }

    // The compositor came or went: show what should show, or hide everything.
    void compositorChanged(bool present) {
        if (present && wanted_) {
            applyPlacement();
        } else if (!present && mapped_) {
            xcb_unmap_window(factory_.connection_, window_);
            mapped_ = false;
            managedMapped_ = false;
        }
    }

    // The window manager has put our (managed) window on screen: now it can restack it.
    void managedWindowShown() {
        if (mapped_ && !managedMapped_) {
            managedMapped_ = true;
            topLevel_ = 0;
            restack();
        }
    }

    // The stacking changed: put the window back against its anchor if something came between
    // or it was moved away. A window manager that keeps moving it back gets a few tries within a
    // short time, then none until the engine orders the window again: no endless exchange. A
    // managed window is judged only once KWin is done with our last request, and a try that
    // changed nothing is not repeated.
    void keepInPlace() {
        if (!mapped_ || !placement_ || anchorFrame_ == 0 ||
            (factory_.managed_ && (!managedMapped_ || waiting_ != Waiting::no))) {
            return;
        }
        const xcb_window_t own = topLevel();
        const auto ours = [this](xcb_window_t w) { return factory_.isOwnTopLevel(w); };
        const bool inPlace = placement_->mode == WindowOrderingMode::below
                                 ? factory_.stacking_->directlyBelow(own, anchorFrame_, ours)
                                 : factory_.stacking_->directlyBelow(anchorFrame_, own, ours);
        if (inPlace || gaveUp_ || !factory_.stacking_->contains(anchorFrame_)) {
            return;
        }
        // KWin left everything as it was after our last try: asking again changes nothing.
        if (factory_.managed_ && triedAt_ == factory_.stacking_->generation()) {
            return;
        }
        const Seconds now = factory_.queue_.now();
        std::erase_if(corrections_, [now](Seconds at) {
            return now - at > X11OverlayWindowFactory::kCorrectionSpan;
        });
        if (corrections_.size() >= X11OverlayWindowFactory::kMaxCorrections) {
            gaveUp_ = true;
            return;
        }
        corrections_.push_back(now);
        ++factory_.corrections_;
        triedAt_ = factory_.stacking_->generation();
        // KWin put it below the anchor with windows between: it went below the first window of
        // the anchor's application in KWin's own order, a dialog KWin keeps drawn above its
        // parent. Such dialogs are first moved to their parents in that order, where they show.
        if (factory_.managed_ && placement_->mode == WindowOrderingMode::below) {
            const auto at = factory_.stacking_->indexOf(own);
            const auto anchorAt = factory_.stacking_->indexOf(anchorFrame_);
            if (at && anchorAt && *at < *anchorAt) {
                factory_.settleTransientsAbove(anchorClient_);
            }
        }
        restack();
        xcb_flush(factory_.connection_);
    }

    // A synthetic ConfigureNotify on this window. KWin answers a restack request with one, and
    // then restacks (if anything changes) and lists the new order. `sequence` (its low 16 bits)
    // is the last request of ours the server had handled when it was made: earlier ones come
    // from other work of KWin's.
    void configureSent(std::uint16_t sequence) {
        if (waiting_ == Waiting::forAnswer && madeAfterRequest(sequence)) {
            factory_.answersRestacks_ = true;
            waitFor(Waiting::forResult, X11OverlayWindowFactory::kRestackResultTimeout);
        }
    }
    // KWin listed its new order: the result of our request once it has answered it (a window
    // manager that never answers is taken at its first new order).
    void stackingListed(std::uint16_t sequence) {
        if (waiting_ == Waiting::forResult ||
            (waiting_ == Waiting::forAnswer && !factory_.answersRestacks_ &&
             madeAfterRequest(sequence))) {
            stopWaiting();
        }
    }

    // The child of the root that holds this window: itself, or the window manager's frame.
    xcb_window_t topLevel() {
        if (!factory_.managed_) {
            return window_;
        }
        if (topLevel_ == 0 || !factory_.stacking_->contains(topLevel_)) {
            topLevel_ = factory_.frameOf(window_).value_or(0);
        }
        return topLevel_;
    }
    xcb_window_t cachedTopLevel() const { return factory_.managed_ ? topLevel_ : window_; }

    xcb_window_t id() const { return window_; }

private:
    enum class Waiting { no, forAnswer, forResult };
    struct Placement {
        WindowOrderingMode mode;
        WindowNumber relativeTo;
    };

    void applyPlacement() {
        xcb_connection_t* c = factory_.connection_;
        if (placement_) {
            const auto frame = factory_.frameOf(static_cast<xcb_window_t>(placement_->relativeTo));
            // A window never stacked yet would appear on top of everything, over the focused
            // window too: it waits for a window the desktop knows (the next scene brings one).
            const bool known = frame && *frame != window_ && *frame != topLevel_;
            if (!known && anchorFrame_ == 0) {
                return;
            }
            if (known) {
                anchorFrame_ = *frame;
                anchorClient_ = static_cast<xcb_window_t>(placement_->relativeTo);
                restack();
            }
        }
        if (!mapped_) {
            if (!painted_ || dirty_) {
                draw(source_.paintState());
            }
            xcb_map_window(c, window_);
            mapped_ = true;
            if (source_.isAnimating()) {
                scheduleFrame();
            }
        }
        xcb_flush(c);
    }

    // Directly below (or above) the anchor: our own window is restacked by us; a managed one is
    // restacked by the window manager on request, once it has taken the window on.
    void restack() {
        if (!placement_ || anchorFrame_ == 0) {
            return;
        }
        const bool below = placement_->mode == WindowOrderingMode::below;
        if (!factory_.managed_) {
            const std::uint32_t values[] = {anchorFrame_,
                                            below ? std::uint32_t{XCB_STACK_MODE_BELOW}
                                                  : std::uint32_t{XCB_STACK_MODE_ABOVE}};
            xcb_configure_window(factory_.connection_, window_,
                                 XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
        } else if (managedMapped_) {
            requestSequence_ = factory_.requestRestack(window_, anchorClient_, below);
            // What shows until KWin has handled the request is not its result: KWin restacks
            // with one request a window, seen one at a time.
            waitFor(Waiting::forAnswer, X11OverlayWindowFactory::kRestackAnswerTimeout);
        }
    }

    bool madeAfterRequest(std::uint16_t sequence) const {
        const auto sent = static_cast<std::uint16_t>(requestSequence_);
        return static_cast<std::int16_t>(sequence - sent) >= 0;
    }

    // Without an answer or a result in time, what shows is taken as the result (KWin answers
    // and changes nothing when the window already lies where it puts it).
    void waitFor(Waiting waiting, Seconds timeout) {
        waiting_ = waiting;
        waitTask_.cancel();
        waitTask_ = factory_.queue_.postAfter(timeout, [this] {
            stopWaiting();
            keepInPlace();
            xcb_flush(factory_.connection_);
        });
    }
    void stopWaiting() {
        waiting_ = Waiting::no;
        waitTask_.cancel();
    }

    void scheduleFrame() {
        if (frameScheduled_) {
            return;
        }
        frameScheduled_ = true;
        // The destructor cancels the task, so it never runs for a window that is gone.
        frameTask_ = factory_.queue_.post([this] { frame(); });
    }

    void frame() {
        frameScheduled_ = false;
        if (!mapped_) {
            dirty_ = true;
            return;
        }
        draw(source_.paintState());
        if (source_.isAnimating()) {
            frameScheduled_ = true;
            frameTask_ = factory_.queue_.postAfter(X11OverlayWindowFactory::kFrameInterval,
                                                   [this] { frame(); });
        }
    }

    void draw(const OverlayPaintState& state) {
        xcb_connection_t* c = factory_.connection_;
        if (!painted_ || state.windowAlpha != lastAlpha_) {
            const double a = std::clamp(state.windowAlpha, 0.0, 1.0);
            const auto opacity = static_cast<std::uint32_t>(std::llround(a * 4294967295.0));
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, factory_.atoms_.opacity,
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

    void paintContent(const OverlayPaintState& state) {
        xcb_connection_t* c = factory_.connection_;
        if (isUniform(state)) {
            const std::uint32_t pixel = premultiplied(state.tintColor);
            xcb_change_window_attributes(c, window_, XCB_CW_BACK_PIXEL, &pixel);
            if (pixmap_ != 0) {
                xcb_free_pixmap(c, pixmap_);
                pixmap_ = 0;
            }
        } else {
            std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width_) *
                                              static_cast<std::size_t>(height_));
            if (factory_.renderer_) {
                factory_.renderer_(state, pixels.data(), width_, height_);
            }
            if (pixmap_ == 0) {
                pixmap_ = xcb_generate_id(c);
                xcb_create_pixmap(c, 32, pixmap_, window_, static_cast<std::uint16_t>(width_),
                                  static_cast<std::uint16_t>(height_));
            }
            if (gc_ == 0) {
                gc_ = xcb_generate_id(c);
                xcb_create_gc(c, gc_, pixmap_, 0, nullptr);
            }
            // Upload in strips that fit the server's request size.
            const std::size_t maxBytes = std::size_t{xcb_get_maximum_request_length(c)} * 4 - 64;
            const std::size_t rowBytes = static_cast<std::size_t>(width_) * 4;
            const int rowsPerStrip = std::max(1, static_cast<int>(maxBytes / rowBytes));
            for (int y = 0; y < height_; y += rowsPerStrip) {
                const int rows = std::min(rowsPerStrip, height_ - y);
                xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap_, gc_,
                              static_cast<std::uint16_t>(width_), static_cast<std::uint16_t>(rows),
                              0, static_cast<std::int16_t>(y), 0, 32,
                              static_cast<std::uint32_t>(rowBytes * static_cast<std::size_t>(rows)),
                              reinterpret_cast<const std::uint8_t*>(
                                  pixels.data() +
                                  static_cast<std::size_t>(y) * static_cast<std::size_t>(width_)));
            }
            xcb_change_window_attributes(c, window_, XCB_CW_BACK_PIXMAP, &pixmap_);
        }
        xcb_clear_area(c, 0, window_, 0, 0, 0, 0);

        const bool blurBehind = state.usesBackdrop && state.blurVisible && state.blurRadius > 0.0;
        if (blurBehind) {
            const Rect& r = state.blurFrame;
            const std::uint32_t region[] = {
                static_cast<std::uint32_t>(std::lround(r.x)),
                static_cast<std::uint32_t>(std::lround(state.bounds.height - r.y - r.height)),
                static_cast<std::uint32_t>(std::lround(r.width)),
                static_cast<std::uint32_t>(std::lround(r.height))};
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, factory_.atoms_.blurRegion,
                                XCB_ATOM_CARDINAL, 32, 4, region);
            blurHinted_ = true;
        } else if (blurHinted_) {
            xcb_delete_property(c, window_, factory_.atoms_.blurRegion);
            blurHinted_ = false;
        }
    }

    X11OverlayWindowFactory& factory_;
    const OverlayPaintSource& source_;
    xcb_window_t window_;
    int width_;
    int height_;
    xcb_pixmap_t pixmap_ = 0;
    xcb_gcontext_t gc_ = 0;
    bool wanted_ = false;
    bool mapped_ = false;
    bool painted_ = false;
    bool dirty_ = false;
    // Managed windows: the window manager has mapped it (restacking waits for that).
    bool managedMapped_ = false;
    // Managed windows: a restack request is on its way to the window manager, or its result.
    Waiting waiting_ = Waiting::no;
    unsigned int requestSequence_ = 0;
    TaskHandle waitTask_;
    bool blurHinted_ = false;
    bool frameScheduled_ = false;
    TaskHandle frameTask_;
    std::optional<Placement> placement_;
    xcb_window_t anchorClient_ = 0;
    // The top-level window last placed against; 0 until the window was placed at least once
    // (an unmapped window keeps its place).
    xcb_window_t anchorFrame_ = 0;
    xcb_window_t topLevel_ = 0;
    // When the window was put back in place lately, and whether it stopped trying.
    std::vector<Seconds> corrections_;
    bool gaveUp_ = false;
    // The stacking (its generation) the last correction was made for.
    std::optional<std::uint64_t> triedAt_;
    double lastAlpha_ = -1.0;
    OverlayPaintState lastState_;
};

std::unique_ptr<X11OverlayWindowFactory> X11OverlayWindowFactory::connect(MainQueue& queue,
                                                                          OverlayRenderer renderer,
                                                                          const char* displayName,
                                                                          std::string* error) {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(displayName, &screenNumber);
    if (c == nullptr || xcb_connection_has_error(c) != 0) {
        if (c != nullptr) {
            xcb_disconnect(c);
        }
        if (error != nullptr) {
            *error = "cannot connect to the X server";
        }
        return nullptr;
    }
    std::unique_ptr<X11OverlayWindowFactory> factory(
        new X11OverlayWindowFactory(queue, std::move(renderer), c, screenNumber));
    if (factory->visual_ == 0) {
        if (error != nullptr) {
            *error = "the X server offers no 32-bit TrueColor visual";
        }
        return nullptr;
    }
    return factory;
}

X11OverlayWindowFactory::X11OverlayWindowFactory(MainQueue& queue, OverlayRenderer renderer,
                                                 xcb_connection_t* connection, int screenNumber)
    : queue_(queue), renderer_(std::move(renderer)), connection_(connection),
      self_(std::make_shared<X11OverlayWindowFactory*>(this)) {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) {
        xcb_screen_next(&it);
    }
    xcb_screen_t* screen = it.data;
    root_ = screen->root;

    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem > 0 && visual_ == 0;
         xcb_depth_next(&depths)) {
        if (depths.data->depth != 32) {
            continue;
        }
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
             xcb_visualtype_next(&visuals)) {
            if (visuals.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR) {
                visual_ = visuals.data->visual_id;
                break;
            }
        }
    }
    if (visual_ != 0) {
        colormap_ = xcb_generate_id(connection_);
        xcb_create_colormap(connection_, XCB_COLORMAP_ALLOC_NONE, colormap_, root_, visual_);
    }

    const std::string compositorSelection = "_NET_WM_CM_S" + std::to_string(screenNumber);
    auto& states = atoms_.managedStates;
    internAtoms(connection_, {{&atoms_.opacity, "_NET_WM_WINDOW_OPACITY"},
                              {&atoms_.compositorSelection, compositorSelection.c_str()},
                              {&atoms_.blurRegion, "_KDE_NET_WM_BLUR_BEHIND_REGION"},
                              {&atoms_.supported, "_NET_SUPPORTED"},
                              {&atoms_.wmPid, "_NET_WM_PID"},
                              {&atoms_.wmName, "_NET_WM_NAME"},
                              {&atoms_.utf8, "UTF8_STRING"},
                              {&atoms_.windowType, "_NET_WM_WINDOW_TYPE"},
                              {&atoms_.windowTypeNormal, "_NET_WM_WINDOW_TYPE_NORMAL"},
                              {&atoms_.supportingCheck, "_NET_SUPPORTING_WM_CHECK"},
                              {&atoms_.motifHints, "_MOTIF_WM_HINTS"},
                              {&atoms_.wmState, "_NET_WM_STATE"},
                              {&atoms_.wmDesktop, "_NET_WM_DESKTOP"},
                              {&atoms_.userTime, "_NET_WM_USER_TIME"},
                              {&atoms_.skipCloseAnimation, "_KDE_NET_WM_SKIP_CLOSE_ANIMATION"},
                              {&atoms_.restackWindow, "_NET_RESTACK_WINDOW"},
                              {&atoms_.clientListStacking, "_NET_CLIENT_LIST_STACKING"},
                              {&states[0], "_NET_WM_STATE_SKIP_TASKBAR"},
                              {&states[1], "_NET_WM_STATE_SKIP_PAGER"},
                              {&states[2], "_KDE_NET_WM_STATE_SKIP_SWITCHER"},
                              {&states[3], "_NET_WM_STATE_STICKY"}});
    clientIdMask_ = ~xcb_get_setup(connection_)->resource_id_mask;

    // The root's children and their order, from here on kept by their events.
    const std::uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &rootMask);
    stacking_ = std::make_unique<X11RootStacking>(connection_, root_, true);
    stacking_->reload();
    isKWin_ = windowManagerName() == "KWin";
    managed_ = isKWin_;
    if (managed_) {
        // KWin lists its clients' order after every restack: the stacking is settled then.
        const std::uint32_t managedRootMask =
            XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &managedRootMask);
    }
    overlayWindowShown_ = overlayWindowExists();
    // KWin paints through the composite overlay window; others are seen doing it.
    usesOverlayWindow_ = isKWin_ || overlayWindowShown_;

    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(connection_, &xcb_shape_id);
    hasShape_ = shape != nullptr && shape->present != 0;
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection_, &xcb_xfixes_id);
    if (xfixes != nullptr && xfixes->present != 0) {
        auto version = reply(xcb_xfixes_query_version_reply(
            connection_, xcb_xfixes_query_version(connection_, 5, 0), nullptr));
        hasXfixes_ = version != nullptr;
        xfixesEventBase_ = xfixes->first_event;
        if (hasXfixes_) {
            xcb_xfixes_select_selection_input(
                connection_, root_, atoms_.compositorSelection,
                XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                    XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                    XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        }
    }

    backdropAvailable_ =
        announcesBlurBehind(connection_, root_, atoms_.blurRegion, atoms_.supported);
    readCompositorOwner();
    xcb_flush(connection_);
}

X11OverlayWindowFactory::~X11OverlayWindowFactory() {
    if (colormap_ != 0) {
        xcb_free_colormap(connection_, colormap_);
    }
    // One round trip: when we return, the server has destroyed every overlay, so nothing of ours
    // is left on screen once the process has exited.
    if (xcb_connection_has_error(connection_) == 0) {
        std::free(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }
    xcb_disconnect(connection_);
}

int X11OverlayWindowFactory::fileDescriptor() const {
    return xcb_get_file_descriptor(connection_);
}

void X11OverlayWindowFactory::readCompositorOwner() {
    auto owner = reply(xcb_get_selection_owner_reply(
        connection_, xcb_get_selection_owner(connection_, atoms_.compositorSelection), nullptr));
    selectionOwned_ = owner && owner->owner != XCB_WINDOW_NONE;
    updateCompositor();
}

bool X11OverlayWindowFactory::overlayWindowExists() {
    // The server owns one root window a screen and, while a compositor holds it, the composite
    // overlay window: counted without touching it (asking for it would make it).
    const auto* resources = xcb_get_extension_data(connection_, &xcb_res_id);
    if (resources == nullptr || resources->present == 0) {
        return true;
    }
    auto counts = reply(xcb_res_query_client_resources_reply(
        connection_, xcb_res_query_client_resources(connection_, root_), nullptr));
    if (!counts) {
        return true;
    }
    for (auto it = xcb_res_query_client_resources_types_iterator(counts.get()); it.rem > 0;
         xcb_res_type_next(&it)) {
        if (it.data->resource_type == XCB_ATOM_WINDOW) {
            return it.data->count >
                   static_cast<std::uint32_t>(xcb_setup_roots_length(xcb_get_setup(connection_)));
        }
    }
    return false;
}

std::string X11OverlayWindowFactory::windowManagerName() {
    auto check = reply(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, root_, atoms_.supportingCheck, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!check || check->format != 32 || xcb_get_property_value_length(check.get()) != 4) {
        return {};
    }
    const xcb_window_t wm = *static_cast<const xcb_window_t*>(xcb_get_property_value(check.get()));
    auto name = reply(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, wm, atoms_.wmName, atoms_.utf8, 0, 64),
        nullptr));
    if (!name || name->format != 8) {
        return {};
    }
    return std::string(static_cast<const char*>(xcb_get_property_value(name.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(name.get())));
}

void X11OverlayWindowFactory::updateCompositor() {
    const bool present = selectionOwned_ && (overlayWindowShown_ || !usesOverlayWindow_);
    if (present == hasCompositor_ && (present || reportedMissingCompositor_)) {
        return;
    }
    hasCompositor_ = present;
    if (!present && !reportedMissingCompositor_) {
        reportedMissingCompositor_ = true;
        std::fprintf(stderr, "tavrilux: no compositing manager is running; overlays stay hidden "
                             "until one starts\n");
    }
    for (X11OverlayWindow* window : windows_) {
        window->compositorChanged(present);
    }
    xcb_flush(connection_);
}

void X11OverlayWindowFactory::catchUp() {
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    processEvents();
}

bool X11OverlayWindowFactory::isOwnTopLevel(xcb_window_t window) const {
    return std::any_of(windows_.begin(), windows_.end(), [window](const X11OverlayWindow* w) {
        return w->cachedTopLevel() == window;
    });
}

unsigned int X11OverlayWindowFactory::requestRestack(xcb_window_t window, xcb_window_t sibling,
                                                     bool below) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atoms_.restackWindow;
    event.data.data32[0] = 2; // from a pager: obeyed without the checks applications get
    event.data.data32[1] = sibling;
    event.data.data32[2] = below ? XCB_STACK_MODE_BELOW : XCB_STACK_MODE_ABOVE;
    return xcb_send_event(connection_, 0, root_,
                          XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                          reinterpret_cast<const char*>(&event))
        .sequence;
}

void X11OverlayWindowFactory::settleTransientsAbove(xcb_window_t anchor) {
    // KWin's stacking of its clients, bottom to top.
    auto listReply = reply(
        xcb_get_property_reply(connection_,
                               xcb_get_property(connection_, 0, root_, atoms_.clientListStacking,
                                                XCB_ATOM_WINDOW, 0, 4096),
                               nullptr));
    if (!listReply || listReply->format != 32) {
        return;
    }
    const auto* first = static_cast<const xcb_window_t*>(xcb_get_property_value(listReply.get()));
    const std::vector<xcb_window_t> list(
        first, first + xcb_get_property_value_length(listReply.get()) / 4);
    const auto anchorIt = std::find(list.begin(), list.end(), anchor);
    if (anchorIt == list.end()) {
        return;
    }
    const auto from = static_cast<std::size_t>(anchorIt - list.begin());
    std::vector<xcb_get_property_cookie_t> transientCookies;
    std::vector<xcb_get_property_cookie_t> pidCookies;
    for (std::size_t i = from; i < list.size(); ++i) {
        transientCookies.push_back(xcb_get_property(
            connection_, 0, list[i], XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 0, 1));
        pidCookies.push_back(
            xcb_get_property(connection_, 0, list[i], atoms_.wmPid, XCB_ATOM_CARDINAL, 0, 1));
    }
    const auto single = [this](xcb_get_property_cookie_t cookie) -> std::uint32_t {
        auto r = reply(xcb_get_property_reply(connection_, cookie, nullptr));
        if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) != 4) {
            return 0;
        }
        return *static_cast<const std::uint32_t*>(xcb_get_property_value(r.get()));
    };
    // Indexes into `list` from `from` on: the parent of each (or none) and its process.
    const std::size_t n = list.size() - from;
    std::vector<std::optional<std::size_t>> parent(n);
    std::vector<std::uint32_t> pid(n);
    for (std::size_t k = 0; k < n; ++k) {
        const auto owner = static_cast<xcb_window_t>(single(transientCookies[k]));
        pid[k] = single(pidCookies[k]);
        const auto it =
            std::find(list.begin() + static_cast<std::ptrdiff_t>(from), list.end(), owner);
        if (owner != 0 && it != list.end()) {
            parent[k] = static_cast<std::size_t>(it - list.begin()) - from;
        }
    }
    const auto descends = [&](std::size_t k, std::size_t ancestor) {
        for (int depth = 0; depth < 32 && parent[k]; ++depth) {
            k = *parent[k];
            if (k == ancestor) {
                return true;
            }
        }
        return false;
    };
    // Bottom to top, so that the dialogs keep their order among themselves.
    for (std::size_t k = 1; k < n; ++k) {
        if (!parent[k]) {
            continue;
        }
        const std::size_t q = *parent[k];
        const bool sameApplication = q == 0 || descends(q, 0) || (pid[q] != 0 && pid[q] == pid[0]);
        // Only a dialog that lies on its parent with nothing but the parent's own dialogs between
        // can have been lifted there by KWin: moved to its parent in KWin's order, it shows as
        // before.
        bool onItsParent = sameApplication && q < k;
        for (std::size_t j = q + 1; onItsParent && j < k; ++j) {
            onItsParent = descends(j, q);
        }
        if (onItsParent) {
            requestRestack(list[from + k], list[from + q], true);
        }
    }
}

void X11OverlayWindowFactory::drainSoon() {
    if (drainScheduled_) {
        return;
    }
    drainScheduled_ = true;
    std::weak_ptr<X11OverlayWindowFactory*> weakSelf = self_;
    queue_.post([weakSelf] {
        if (auto self = weakSelf.lock()) {
            (*self)->drainScheduled_ = false;
            (*self)->processEvents();
        }
    });
}

void X11OverlayWindowFactory::processEvents() {
    const auto generation = stacking_->generation();
    // Managed overlays are checked only where KWin is done restacking: it listed its new order,
    // a window came or went, or our own request has had its result.
    bool settled = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const std::uint8_t type = event->response_type & 0x7f;
        if (type == 0) {
            // Errors (a window that vanished before we restacked against it) are dropped.
            ++errors_;
        } else if (hasXfixes_ && type == xfixesEventBase_ + XCB_XFIXES_SELECTION_NOTIFY) {
            const auto* e = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
            selectionOwned_ = e->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER &&
                              e->owner != XCB_WINDOW_NONE;
            if (!selectionOwned_) {
                usesOverlayWindow_ = isKWin_; // the next compositor may paint otherwise
            }
            updateCompositor();
        } else {
            if (managed_) {
                settled = managedEvent(*event) || settled;
            }
            stacking_->handleEvent(*event);
            handleStructureEvent(*event);
        }
        std::free(event);
    }
    if (managed_ ? settled : stacking_->generation() != generation) {
        for (X11OverlayWindow* window : windows_) {
            window->keepInPlace();
        }
        xcb_flush(connection_);
        drainSoon();
    }
}

bool X11OverlayWindowFactory::managedEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    if (type == XCB_CONFIGURE_NOTIFY && (event.response_type & 0x80) != 0) {
        const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        for (X11OverlayWindow* window : windows_) {
            if (e.event != root_ && window->id() == e.window) {
                window->configureSent(e.sequence);
            }
        }
        return false;
    }
    if (type == XCB_PROPERTY_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (e.window != root_ || e.atom != atoms_.clientListStacking) {
            return false;
        }
        for (X11OverlayWindow* window : windows_) {
            window->stackingListed(e.sequence);
        }
        return true;
    }
    // The three carry the event window and the window at the same places.
    const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
    return (type == XCB_MAP_NOTIFY || type == XCB_UNMAP_NOTIFY || type == XCB_DESTROY_NOTIFY) &&
           e.event == root_;
}

void X11OverlayWindowFactory::handleStructureEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    if (type != XCB_MAP_NOTIFY && type != XCB_UNMAP_NOTIFY && type != XCB_DESTROY_NOTIFY) {
        return;
    }
    // The three carry the event window and the window at the same places.
    const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
    if (e.event == root_ && isServerWindow(e.window)) {
        // The composite overlay window, the one root child the server makes itself.
        overlayWindowShown_ = type == XCB_MAP_NOTIFY;
        usesOverlayWindow_ = usesOverlayWindow_ || (overlayWindowShown_ && selectionOwned_);
        updateCompositor();
    } else if (type == XCB_MAP_NOTIFY && e.event == e.window) {
        for (X11OverlayWindow* window : windows_) {
            if (window->id() == e.window) {
                window->managedWindowShown();
            }
        }
    }
}

std::optional<xcb_window_t> X11OverlayWindowFactory::frameOf(xcb_window_t client) {
    if (stacking_->contains(client)) {
        return client;
    }
    drainSoon();
    xcb_window_t window = client;
    for (int depth = 0; depth < 16; ++depth) {
        auto tree =
            reply(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
        if (!tree) {
            return std::nullopt;
        }
        if (tree->parent == root_ || tree->parent == XCB_WINDOW_NONE) {
            return window;
        }
        window = tree->parent;
    }
    return std::nullopt;
}

std::unique_ptr<OverlayWindowPort>
X11OverlayWindowFactory::makeWindow(const Rect& frame, const OverlayPaintSource& source) {
    // Global frames have their origin at the primary monitor's bottom-left corner.
    int primaryX = 0;
    int primaryY = 0;
    int primaryHeight = 0;
    auto monitors = reply(xcb_randr_get_monitors_reply(
        connection_, xcb_randr_get_monitors(connection_, root_, 1), nullptr));
    if (monitors) {
        bool found = false;
        for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors.get()); it.rem > 0;
             xcb_randr_monitor_info_next(&it)) {
            if (!found || it.data->primary != 0) {
                primaryX = it.data->x;
                primaryY = it.data->y;
                primaryHeight = it.data->height;
                found = true;
                if (it.data->primary != 0) {
                    break;
                }
            }
        }
    }
    const int width = std::max(1, static_cast<int>(std::lround(frame.width)));
    const int height = std::max(1, static_cast<int>(std::lround(frame.height)));
    const int x = static_cast<int>(std::lround(frame.x)) + primaryX;
    const int y = primaryY + primaryHeight - static_cast<int>(std::lround(frame.y)) - height;

    const xcb_window_t window = xcb_generate_id(connection_);
    // Managed windows hear of their own mapping (the window manager maps them when it is ready).
    const std::uint32_t values[] = {0, 0, managed_ ? 0u : 1u,
                                    managed_ ? std::uint32_t{XCB_EVENT_MASK_STRUCTURE_NOTIFY} : 0u,
                                    colormap_};
    xcb_create_window(connection_, 32, window, root_, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width),
                      static_cast<std::uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, visual_,
                      XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT |
                          XCB_CW_EVENT_MASK | XCB_CW_COLORMAP,
                      values);
    if (hasShape_) {
        // Clicks pass through: the input region is empty.
        xcb_shape_rectangles(connection_, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT,
                             XCB_CLIP_ORDERING_UNSORTED, window, 0, 0, 0, nullptr);
    }
    const auto set = [&](xcb_atom_t property, xcb_atom_t type, std::uint8_t format,
                         std::uint32_t length, const void* data) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, property, type, format,
                            length, data);
    };
    static const char wmClass[] = "tavrilux-overlay\0Tavrilux";
    set(XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, sizeof(wmClass), wmClass);
    static const char name[] = "Tavrilux overlay";
    set(atoms_.wmName, atoms_.utf8, 8, sizeof(name) - 1, name);
    const auto pid = static_cast<std::uint32_t>(getpid());
    set(atoms_.wmPid, XCB_ATOM_CARDINAL, 32, 1, &pid);
    if (managed_) {
        // Undecorated, never focused, on every workspace, in no task bar, pager or switcher,
        // where we put it, and without a closing animation.
        const std::uint32_t motif[] = {2, 0, 0, 0, 0}; // decorations: none
        set(atoms_.motifHints, atoms_.motifHints, 32, 5, motif);
        const std::uint32_t hints[9] = {1, 0}; // input: no
        set(XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, 9, hints);
        std::uint32_t size[18] = {};
        size[0] = 1 | 2 | 4 | 8 | 16 | 32; // user and program position and size, minimum, maximum
        size[1] = static_cast<std::uint32_t>(x);
        size[2] = static_cast<std::uint32_t>(y);
        size[3] = size[5] = size[7] = static_cast<std::uint32_t>(width);
        size[4] = size[6] = size[8] = static_cast<std::uint32_t>(height);
        set(XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, 18, size);
        set(atoms_.windowType, XCB_ATOM_ATOM, 32, 1, &atoms_.windowTypeNormal);
        set(atoms_.wmState, XCB_ATOM_ATOM, 32, 4, atoms_.managedStates.data());
        const std::uint32_t everyDesktop = 0xFFFFFFFF;
        set(atoms_.wmDesktop, XCB_ATOM_CARDINAL, 32, 1, &everyDesktop);
        const std::uint32_t neverActivate = 0;
        set(atoms_.userTime, XCB_ATOM_CARDINAL, 32, 1, &neverActivate);
        const std::uint32_t yes = 1;
        set(atoms_.skipCloseAnimation, XCB_ATOM_CARDINAL, 32, 1, &yes);
    }
    xcb_flush(connection_);
    if (lifecycle_) {
        lifecycle_(window, true);
    }
    return std::make_unique<X11OverlayWindow>(*this, source, window, width, height);
}

} // namespace tavrilux::x11
