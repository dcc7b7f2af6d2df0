#include "StackingWatcher.h"

#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace tavrilux::testdesktop {

namespace {

template <typename T> std::unique_ptr<T, decltype(&std::free)> owned(T* reply) {
    return {reply, &std::free};
}

} // namespace

StackingWatcher::StackingWatcher(const std::string& display)
    : connection_(xcb_connect(display.c_str(), nullptr)) {
    if (xcb_connection_has_error(connection_) != 0) {
        xcb_disconnect(connection_);
        throw std::runtime_error("stacking watcher: cannot connect to " + display);
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    // Selected before the read: nothing after it is missed, and what came before is in it.
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    auto tree =
        owned(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr));
    if (!tree) {
        throw std::runtime_error("stacking watcher: no root tree");
    }
    const xcb_window_t* windows = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        auto a = owned(xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, windows[i]), nullptr));
        children_.push_back(Child{windows[i], a && a->map_state != XCB_MAP_STATE_UNMAPPED});
    }
    // Events queued before the answer describe what it already holds.
    while (xcb_generic_event_t* e = xcb_poll_for_event(connection_)) {
        std::free(e);
    }
}

StackingWatcher::~StackingWatcher() {
    xcb_disconnect(connection_);
}

int StackingWatcher::indexOf(xcb_window_t window) const {
    const auto it = std::find_if(children_.begin(), children_.end(),
                                 [window](const Child& c) { return c.window == window; });
    return it == children_.end() ? -1 : static_cast<int>(it - children_.begin());
}

std::string StackingWatcher::instanceOf(xcb_window_t window) {
    auto reply = owned(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64),
        nullptr));
    if (!reply || reply->format != 8) {
        return {};
    }
    const auto* data = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const std::string value(data,
                            static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    return value.substr(0, value.find('\0'));
}

bool StackingWatcher::isMappedInstance(const Child& child, const std::string& instance) {
    if (!child.mapped) {
        return false;
    }
    if (instanceOf(child.window) == instance) {
        return true;
    }
    // A window manager's frame: its clients, one or two levels down.
    auto tree = owned(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, child.window), nullptr));
    if (!tree) {
        return false;
    }
    const xcb_window_t* windows = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        if (instanceOf(windows[i]) == instance) {
            return true;
        }
        auto inner = owned(
            xcb_query_tree_reply(connection_, xcb_query_tree(connection_, windows[i]), nullptr));
        if (inner) {
            const xcb_window_t* grandchildren = xcb_query_tree_children(inner.get());
            for (int j = 0; j < xcb_query_tree_children_length(inner.get()); ++j) {
                if (instanceOf(grandchildren[j]) == instance) {
                    return true;
                }
            }
        }
    }
    return false;
}

bool StackingWatcher::apply(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    const auto take = [this](xcb_window_t window) {
        Child child{window, false};
        const int i = indexOf(window);
        if (i >= 0) {
            child = children_[static_cast<std::size_t>(i)];
            children_.erase(children_.begin() + i);
        }
        return child;
    };
    switch (type) {
    case XCB_CREATE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_create_notify_event_t&>(event);
        if (e.parent != root_) {
            return false;
        }
        children_.push_back(take(e.window));
        return true;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        if (e.event != root_ || indexOf(e.window) < 0) {
            return false;
        }
        take(e.window);
        return true;
    }
    case XCB_REPARENT_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_reparent_notify_event_t&>(event);
        if (e.event != root_) {
            return false;
        }
        Child child = take(e.window);
        if (e.parent == root_) {
            child.mapped = false;
            children_.push_back(child);
        }
        return true;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (e.event != root_ || e.window == root_) {
            return false;
        }
        const Child child = take(e.window);
        const int sibling = e.above_sibling == XCB_WINDOW_NONE ? -1 : indexOf(e.above_sibling);
        children_.insert(children_.begin() + (sibling + 1), child);
        return true;
    }
    case XCB_CIRCULATE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_circulate_notify_event_t&>(event);
        if (e.event != root_ || indexOf(e.window) < 0) {
            return false;
        }
        const Child child = take(e.window);
        children_.insert(e.place == XCB_PLACE_ON_TOP ? children_.end() : children_.begin(), child);
        return true;
    }
    case XCB_MAP_NOTIFY:
    case XCB_UNMAP_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        const int i = indexOf(e.window);
        if (e.event != root_ || i < 0) {
            return false;
        }
        children_[static_cast<std::size_t>(i)].mapped = type == XCB_MAP_NOTIFY;
        return true;
    }
    default:
        return false;
    }
}

bool StackingWatcher::watchUntil(const std::function<bool()>& done,
                                 std::chrono::milliseconds timeout,
                                 const std::function<void()>& seen) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + timeout;
    if (seen) {
        seen();
    }
    if (done && done()) {
        return true;
    }
    for (;;) {
        while (xcb_generic_event_t* e = xcb_poll_for_event(connection_)) {
            const bool changed = apply(*e);
            std::free(e);
            if (changed) {
                if (seen) {
                    seen();
                }
                if (done && done()) {
                    return true;
                }
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0 || xcb_connection_has_error(connection_) != 0) {
            return false;
        }
        pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ::poll(&fd, 1, static_cast<int>(std::min<long>(left.count(), 50)));
    }
}

void StackingWatcher::watch(std::chrono::milliseconds duration, const std::function<void()>& seen) {
    watchUntil({}, duration, seen);
}

} // namespace tavrilux::testdesktop
