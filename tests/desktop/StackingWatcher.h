#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tavrilux::testdesktop {

// An independent watcher of the root window's stacking: the order of the root's children, bottom
// to top, and which are mapped, kept from every structure event as the server reports it, so
// that states that last only a moment are seen too. Uses a connection of its own.
class StackingWatcher final {
public:
    struct Child {
        xcb_window_t window = 0;
        bool mapped = false;
    };

    explicit StackingWatcher(const std::string& display);
    ~StackingWatcher();
    StackingWatcher(const StackingWatcher&) = delete;
    StackingWatcher& operator=(const StackingWatcher&) = delete;

    xcb_connection_t* connection() const { return connection_; }
    const std::vector<Child>& children() const { return children_; }
    // Index bottom to top; -1 when not a child.
    int indexOf(xcb_window_t window) const;
    // Mapped, and of WM_CLASS instance `instance` itself or holding a client of it.
    bool isMappedInstance(const Child& child, const std::string& instance);

    // Applies one event read on connection(); true when it changed the stacking.
    bool apply(const xcb_generic_event_t& event);
    // Applies the events that arrive within `duration`, calling `seen` after each one that
    // changed the stacking (and once at the start).
    void watch(std::chrono::milliseconds duration, const std::function<void()>& seen);
    // Applies events until `done` holds after one of them (or at the start), up to `timeout`;
    // calls `seen` after each change too. Whether `done` held.
    bool watchUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                    const std::function<void()>& seen = {});

private:
    std::string instanceOf(xcb_window_t window);

    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    std::vector<Child> children_;
};

} // namespace tavrilux::testdesktop
