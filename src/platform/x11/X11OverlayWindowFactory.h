#pragma once

#include "core/async/MainQueue.h"
#include "core/overlay/OverlayWindowPort.h"
#include "platform/x11/X11OverlayAtoms.h"
#include "platform/x11/X11OverlaySurface.h"
#include "platform/x11/X11TopLevels.h"

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tavrilux::x11 {

class X11OverlaySurfaces;
class X11OverlayWindow;
class X11RootStacking;

// Draws one overlay's content into a premultiplied ARGB buffer (rows top to bottom, 4 bytes a
// pixel, `width` pixels a row).
using OverlayRenderer = std::function<void(const OverlayPaintState& state, std::uint32_t* pixels,
                                           int width, int height)>;

// Overlay windows on an X server: override-redirect ARGB windows that take no input (empty input
// shape) and no focus, ordered with ConfigureWindow relative to the top-level frame that holds a
// client window, with their alpha in _NET_WM_WINDOW_OPACITY. Content is drawn from the overlay's
// presentation values when they change and on every frame while something animates; nothing runs
// while nothing changes. An overlay covers its display; where an earlier display already covers
// part of it (partly overlapping monitors), a bounding shape leaves that part out, so that no
// pixel is dimmed twice.
//
// The X window of a released overlay is kept, unmapped, for the next overlay of its display (a
// few per display), instead of making and destroying one for every cross-fade. Kept windows of a
// display that went away are destroyed, and so is one that someone else destroyed.
//
// The factory follows the stacking of the root's children from their structure events: whenever
// a window comes between an overlay and the windows it belongs under, those move, or the window
// manager moves the overlay, the overlay is put back at once (a few times in a row at most, so
// that a window manager that insists ends the exchange). Which application a top-level window
// holds comes from the lookup given to it; without one, an overlay lies against its anchor alone.
//
// KWin draws override-redirect windows above all managed ones whatever their stacking, so there
// the overlays are managed windows instead (undecorated, unfocusable, on every workspace, skipped
// by task bars and switchers) that KWin is asked to restack with _NET_RESTACK_WINDOW. KWin
// restacks with one request a window, so an overlay is judged only where KWin is done: once it
// has answered our request and listed its new order (_NET_CLIENT_LIST_STACKING), or after a
// restack of its own. KWin puts a window below the first window of the sibling's application in
// its own order, which can be a dialog it draws lifted onto its parent; such dialogs are moved to
// their parents in that order first (see settleTransientsAbove).
//
// xfwm4's own compositor, after a window is restacked, repaints the window's area less the opaque
// windows now above it, so an overlay lowered below a window would leave that window tinted on
// screen. There, each time an overlay is seen going below a window that shows, its area is
// exposed on the root with a synthetic Expose event, which xfwm4 repaints in full.
//
// Without a compositing manager (no owner of _NET_WM_CM_S0) a translucent window would be drawn
// opaque and black out the desktop, so no overlay is mapped then: the factory says so once on
// standard error, watches the selection, and maps the overlays that should show as soon as a
// compositor runs (and unmaps them again if it stops). A compositor that paints through the
// composite overlay window and takes that window down while keeping the selection (KWin
// suspending or blocked by a full-screen window) counts as stopped until it takes it up again.
//
// Uses a connection of its own; the main loop calls processEvents() whenever fileDescriptor()
// is readable. Main thread only.
class X11OverlayWindowFactory final : public OverlayWindowFactory {
public:
    static constexpr Seconds kFrameInterval{1.0 / 60.0};
    // An overlay is put back in place at most this often within the span.
    static constexpr std::size_t kMaxCorrections = 3;
    static constexpr Seconds kCorrectionSpan{2.0};
    // How long a managed overlay waits for the window manager to answer a restack request, and
    // then for its new order, before it takes the stacking as it is.
    static constexpr Seconds kRestackAnswerTimeout{0.5};
    static constexpr Seconds kRestackResultTimeout{0.25};

    static std::unique_ptr<X11OverlayWindowFactory> connect(MainQueue& queue,
                                                            OverlayRenderer renderer,
                                                            const char* displayName = nullptr,
                                                            std::string* error = nullptr);
    ~X11OverlayWindowFactory() override;

    std::unique_ptr<OverlayWindowPort> makeWindow(const Rect& frame,
                                                  const OverlayPaintSource& source) override;
    bool isBackdropAvailable() const override { return backdropAvailable_; }

    // Told of every overlay window made (true) and destroyed (false), so that whoever watches the
    // root's structure events can leave our own windows out.
    void setWindowLifecycleHandler(std::function<void(xcb_window_t, bool alive)> handler);
    // What the window list knows of the top-level windows; it outlives the factory.
    void setTopLevels(const X11TopLevels* topLevels) { topLevels_ = topLevels; }

    int fileDescriptor() const;
    void processEvents();
    bool hasCompositor() const { return hasCompositor_; }
    // Overlays are managed windows (the window manager composites override-redirect ones on top).
    bool managesOverlays() const { return managed_; }
    xcb_connection_t* connection() const { return connection_; }
    // Number of content repaints and alpha updates so far (for measurements).
    std::uint64_t repaintCount() const { return repaints_; }
    std::uint64_t alphaUpdateCount() const { return alphaUpdates_; }
    // X errors received (and dropped) so far.
    std::uint64_t errorCount() const { return errors_; }
    // Overlays put back in place after the stacking changed around them.
    std::uint64_t correctionCount() const { return corrections_; }
    // X windows made so far, and those kept now for later overlays.
    std::uint64_t createdWindowCount() const;
    std::size_t keptWindowCount() const;
    // Areas exposed for xfwm4's compositor to repaint after an overlay went below a window.
    std::uint64_t exposureCount() const { return exposures_; }

private:
    friend class X11OverlayWindow;

    X11OverlayWindowFactory(MainQueue& queue, OverlayRenderer renderer,
                            xcb_connection_t* connection, int screenNumber);
    void readCompositorOwner();
    // Compositing is on: the selection is owned and, for a compositor that paints through the
    // composite overlay window, that window shows.
    void updateCompositor();
    std::string windowManagerName();
    bool overlayWindowExists();
    // Every event up to now has been read.
    void catchUp();
    bool isOwnTopLevel(xcb_window_t window) const;
    bool isServerWindow(xcb_window_t window) const { return (window & clientIdMask_) == 0; }
    // Returns the request's sequence number.
    unsigned int requestRestack(xcb_window_t window, xcb_window_t sibling, bool below);
    // The server had handled our request `sequence` when it sent the last event read: what it
    // changed is known.
    bool hasHandled(unsigned int sequence) const {
        return static_cast<std::int32_t>(lastEventSequence_ - sequence) >= 0;
    }
    // KWin puts a window restacked below a client under the first window of that client's
    // application in its own order, which can be a dialog (WM_TRANSIENT_FOR) it draws lifted
    // onto its parent far above that place. Asks KWin to move each dialog of `anchor`'s
    // application that lies on its parent, above `anchor`, to its parent in that order: nothing
    // moves on screen, and `anchor`'s application then starts at `anchor`.
    void settleTransientsAbove(xcb_window_t anchor);
    // Passes KWin's answers and new orders on to the overlays; true when the stacking is settled
    // (KWin listed its order, or a window was mapped, unmapped or destroyed).
    bool managedEvent(const xcb_generic_event_t& event);
    void handleStructureEvent(const xcb_generic_event_t& event);
    // Has xfwm4's compositor repaint an overlay's area when the event lowers the overlay.
    void exposeIfLowered(const xcb_generic_event_t& event);
    // The child of the root that holds `client` (itself when it is one); none when unknown.
    std::optional<xcb_window_t> frameOf(xcb_window_t client);
    // After a round trip xcb may hold events that no longer make the descriptor readable.
    void drainSoon();
    // Reads the events that have arrived into the stacking, without putting anything back;
    // whatever needs it is put back soon.
    void readEvents();
    // Applies one event; true when it changed the stacking.
    bool handleEvent(const xcb_generic_event_t& event);
    std::optional<X11TopLevelOwner> ownerOfTopLevel(xcb_window_t frame) const;

    // Back from a released overlay.
    void keepSurface(std::unique_ptr<X11OverlaySurface> surface);

    MainQueue& queue_;
    OverlayRenderer renderer_;
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    xcb_visualid_t visual_ = 0;
    xcb_colormap_t colormap_ = 0;
    std::uint8_t xfixesEventBase_ = 0;
    std::uint8_t randrEventBase_ = 0;
    bool hasXfixes_ = false;
    bool hasShape_ = false;
    bool hasCompositor_ = false;
    // The sequence number of the last event (or error) read: our last request handled then.
    std::uint32_t lastEventSequence_ = 0;
    bool selectionOwned_ = false;
    bool overlayWindowShown_ = true;
    bool usesOverlayWindow_ = false;
    bool isKWin_ = false;
    bool isXfwm4_ = false;
    // The window manager's _NET_SUPPORTING_WM_CHECK window, and the compositor selection's owner:
    // the same window while xfwm4 composites itself.
    xcb_window_t wmWindow_ = XCB_WINDOW_NONE;
    xcb_window_t compositorOwner_ = XCB_WINDOW_NONE;
    bool managed_ = false;
    // The window manager has answered a restack request of ours (KWin 5.27 does, with a
    // synthetic ConfigureNotify before it restacks).
    bool answersRestacks_ = false;
    // Managed overlays: KWin is done restacking since they were last checked.
    bool settled_ = false;
    std::uint32_t clientIdMask_ = 0;
    std::unique_ptr<X11RootStacking> stacking_;
    std::unique_ptr<X11OverlaySurfaces> surfaces_;
    const X11TopLevels* topLevels_ = nullptr;
    std::uint64_t corrections_ = 0;
    std::uint64_t exposures_ = 0;
    bool reportedMissingCompositor_ = false;
    bool backdropAvailable_ = false;
    X11OverlayAtoms atoms_;
    std::set<X11OverlayWindow*> windows_;
    std::uint64_t repaints_ = 0;
    std::uint64_t alphaUpdates_ = 0;
    std::uint64_t errors_ = 0;
    bool drainScheduled_ = false;
    std::shared_ptr<X11OverlayWindowFactory*> self_;
};

} // namespace tavrilux::x11
