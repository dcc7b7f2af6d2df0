#pragma once

#include <xcb/xcb.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tavrilux::x11 {

// The stacking order of the root window's children (the window manager's frames, override-redirect
// windows), read once and then kept current from the root's SubstructureNotify events alone: no
// request is needed to follow restacks, maps, unmaps and windows coming and going. Window managers
// do not all keep _NET_CLIENT_LIST_STACKING in the real order; this order is the real one.
//
// The owner selects SubstructureNotify on the root and passes every event it reads to
// handleEvent(). Main thread only.
class X11RootStacking final {
public:
    struct Child {
        xcb_window_t window = 0;
        bool mapped = false;
        // Input-only windows (a frame's resize handles, say) draw nothing.
        bool inputOnly = false;
        // The outer rectangle (border included) in root coordinates; empty while unknown.
        std::int16_t x = 0, y = 0;
        std::uint16_t width = 0, height = 0;
        std::uint16_t border = 0;

        void setRectangle(std::int16_t left, std::int16_t top, std::uint16_t innerWidth,
                          std::uint16_t innerHeight, std::uint16_t borderWidth) {
            x = left;
            y = top;
            width = static_cast<std::uint16_t>(innerWidth + 2 * borderWidth);
            height = static_cast<std::uint16_t>(innerHeight + 2 * borderWidth);
            border = borderWidth;
        }
        bool sameRectangle(const Child& other) const {
            return x == other.x && y == other.y && width == other.width && height == other.height &&
                   border == other.border;
        }
        // Shares pixels with the rectangle; unknown geometry counts as sharing.
        bool meets(std::int32_t left, std::int32_t top, std::int32_t right,
                   std::int32_t bottom) const {
            return width == 0 || height == 0 ||
                   (x < right && left < x + width && y < bottom && top < y + height);
        }
    };

    // `withClasses`: also learn which windows are input-only (one request a new window).
    X11RootStacking(xcb_connection_t* connection, xcb_window_t root, bool withClasses);
    X11RootStacking(const X11RootStacking&) = delete;
    X11RootStacking& operator=(const X11RootStacking&) = delete;

    // Reads the children, their map states and rectangles again (two round trips).
    void reload();
    // Applies one event; true when the order, a child's map state or its rectangle changed.
    bool handleEvent(const xcb_generic_event_t& event);

    // Bottom to top.
    const std::vector<Child>& children() const { return children_; }
    std::optional<std::size_t> indexOf(xcb_window_t window) const;
    bool contains(xcb_window_t window) const { return indexOf(window).has_value(); }
    bool isMapped(xcb_window_t window) const;
    // Changes with every change of the order, of a map state or of a rectangle.
    std::uint64_t generation() const { return generation_; }

    // `lower` lies below `upper`, and nothing that shows lies between them (unmapped and
    // input-only windows show nothing, nor do the children `passOver` accepts). False when either
    // is not a child.
    template <typename PassOver>
    bool directlyBelow(xcb_window_t lower, xcb_window_t upper, PassOver passOver) {
        const auto low = indexOf(lower);
        const auto high = indexOf(upper);
        if (!low || !high || *low >= *high) {
            return false;
        }
        return !showsBetween(*low + 1, *high, passOver);
    }

    // A ConfigureNotify that puts `window` directly above `aboveSibling` (none: at the bottom)
    // takes it below a window that shows (see directlyBelow) and lay under it until now. Asked
    // before the event is applied.
    template <typename Predicate>
    bool lowersPast(xcb_window_t window, xcb_window_t aboveSibling, Predicate passOver) {
        const auto at = indexOf(window);
        if (!at) {
            return false;
        }
        std::size_t from = 0;
        if (aboveSibling != XCB_WINDOW_NONE) {
            const auto sibling = indexOf(aboveSibling);
            if (!sibling || *sibling >= *at) {
                return false;
            }
            from = *sibling + 1;
        }
        return showsBetween(from, *at, passOver);
    }

    // The last window of the run that starts at `anchor` and goes down the stacking through the
    // windows `inRun` accepts, passing over those that show nothing and the children `passOver`
    // accepts (asked first, so that `inRun`, the dearer question, is asked only of the windows
    // that count); `anchor` itself when the next window below it that shows is not in the run, or
    // when it is not a child.
    template <typename InRun, typename PassOver>
    xcb_window_t endOfRunBelow(xcb_window_t anchor, InRun inRun, PassOver passOver) {
        const auto at = indexOf(anchor);
        if (!at) {
            return anchor;
        }
        resolveClasses();
        xcb_window_t end = anchor;
        for (std::size_t i = *at; i-- > 0;) {
            const Child& c = children_[i];
            if (!c.mapped || c.inputOnly || passOver(c)) {
                continue;
            }
            if (!inRun(c.window)) {
                break;
            }
            end = c.window;
        }
        return end;
    }

private:
    // A window at [from, to) shows.
    template <typename Predicate>
    bool showsBetween(std::size_t from, std::size_t to, Predicate passOver) {
        resolveClasses();
        for (std::size_t i = from; i < to; ++i) {
            const Child& c = children_[i];
            if (c.mapped && !c.inputOnly && !passOver(c)) {
                return true;
            }
        }
        return false;
    }
    void insertAbove(const Child& child, xcb_window_t sibling);
    void remove(xcb_window_t window);
    void changed();
    // Whether windows created since the last look are input-only: their answers are read when
    // they are needed, by then long arrived.
    void resolveClasses();

    xcb_connection_t* connection_;
    xcb_window_t root_;
    bool withClasses_;
    std::vector<Child> children_;
    std::uint64_t generation_ = 0;
    std::optional<std::uint16_t> skipBefore_;
    mutable std::unordered_map<xcb_window_t, std::size_t> index_;
    mutable bool indexDirty_ = true;
    std::unordered_map<xcb_window_t, xcb_get_window_attributes_cookie_t> pendingClasses_;
};

} // namespace tavrilux::x11
