#include "platform/x11/X11RootStacking.h"

#include "platform/x11/XcbReply.h"
#include <algorithm>
#include <cstdlib>
#include <memory>

namespace tavrilux::x11 {

namespace {

// The index is kept with the order: only the places from `first` up move, and a raise, the usual
// change, moves few.
void reindexFrom(const std::vector<X11RootStacking::Child>& children,
                 std::unordered_map<xcb_window_t, std::size_t>& index, std::size_t first) {
    for (std::size_t i = first; i < children.size(); ++i) {
        index[children[i].window] = i;
    }
}

} // namespace

X11RootStacking::X11RootStacking(xcb_connection_t* connection, xcb_window_t root, bool withClasses)
    : connection_(connection), root_(root), withClasses_(withClasses) {}

void X11RootStacking::reload() {
    for (auto& [window, cookie] : pendingClasses_) {
        xcb_discard_reply(connection_, cookie.sequence);
    }
    pendingClasses_.clear();
    const auto treeCookie = xcb_query_tree(connection_, root_);
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection_, treeCookie, nullptr));
    children_.clear();
    if (tree) {
        const xcb_window_t* windows = xcb_query_tree_children(tree.get());
        const int count = xcb_query_tree_children_length(tree.get());
        std::vector<std::pair<xcb_get_window_attributes_cookie_t, xcb_get_geometry_cookie_t>>
            cookies;
        cookies.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            cookies.emplace_back(xcb_get_window_attributes(connection_, windows[i]),
                                 xcb_get_geometry(connection_, windows[i]));
        }
        for (int i = 0; i < count; ++i) {
            const auto& [attributes, geometry] = cookies[static_cast<std::size_t>(i)];
            Reply<xcb_get_window_attributes_reply_t> a(
                xcb_get_window_attributes_reply(connection_, attributes, nullptr));
            Reply<xcb_get_geometry_reply_t> g(
                xcb_get_geometry_reply(connection_, geometry, nullptr));
            if (a) {
                Child child{windows[i], a->map_state != XCB_MAP_STATE_UNMAPPED,
                            a->_class == XCB_WINDOW_CLASS_INPUT_ONLY};
                if (g) {
                    child.setRectangle(g->x, g->y, g->width, g->height, g->border_width);
                }
                children_.push_back(child);
            }
        }
    }
    // Events already queued describe changes the answer above holds.
    skipBefore_ = static_cast<std::uint16_t>(treeCookie.sequence);
    indexDirty_ = true;
    changed();
}

std::optional<std::size_t> X11RootStacking::indexOf(xcb_window_t window) const {
    if (indexDirty_) {
        index_.clear();
        for (std::size_t i = 0; i < children_.size(); ++i) {
            index_[children_[i].window] = i;
        }
        indexDirty_ = false;
    }
    const auto it = index_.find(window);
    return it == index_.end() ? std::nullopt : std::optional<std::size_t>(it->second);
}

bool X11RootStacking::isMapped(xcb_window_t window) const {
    const auto i = indexOf(window);
    return i && children_[*i].mapped;
}

void X11RootStacking::changed() {
    ++generation_;
}

void X11RootStacking::remove(xcb_window_t window) {
    const auto i = indexOf(window);
    if (!i) {
        return;
    }
    children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(*i));
    index_.erase(window);
    reindexFrom(children_, index_, *i);
}

void X11RootStacking::insertAbove(const Child& child, xcb_window_t sibling) {
    remove(child.window);
    std::size_t at = 0;
    if (sibling != XCB_WINDOW_NONE) {
        // An unknown sibling: the top is the likelier place.
        const auto below = indexOf(sibling);
        at = below ? *below + 1 : children_.size();
    }
    children_.insert(children_.begin() + static_cast<std::ptrdiff_t>(at), child);
    reindexFrom(children_, index_, at);
}

void X11RootStacking::resolveClasses() {
    for (auto& [window, cookie] : pendingClasses_) {
        Reply<xcb_get_window_attributes_reply_t> a(
            xcb_get_window_attributes_reply(connection_, cookie, nullptr));
        const auto i = indexOf(window);
        if (a && i) {
            children_[*i].inputOnly = a->_class == XCB_WINDOW_CLASS_INPUT_ONLY;
        }
    }
    pendingClasses_.clear();
}

bool X11RootStacking::handleEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    if (type < XCB_CREATE_NOTIFY || type > XCB_CIRCULATE_NOTIFY) {
        return false;
    }
    if (skipBefore_) {
        if (static_cast<std::int16_t>(event.sequence - *skipBefore_) < 0) {
            return false;
        }
        skipBefore_.reset();
    }
    const auto top = [this](xcb_window_t window, bool mapped) -> Child& {
        Child child{window, mapped, false};
        if (const auto i = indexOf(window)) {
            child = children_[*i];
            child.mapped = mapped;
        } else if (withClasses_ && !pendingClasses_.contains(window)) {
            pendingClasses_.emplace(window, xcb_get_window_attributes(connection_, window));
        }
        remove(window);
        children_.push_back(child);
        index_[window] = children_.size() - 1;
        return children_.back();
    };
    switch (type) {
    case XCB_CREATE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_create_notify_event_t&>(event);
        if (e.parent != root_) {
            return false;
        }
        top(e.window, false).setRectangle(e.x, e.y, e.width, e.height, e.border_width);
        break;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        if (e.event != root_ || !contains(e.window)) {
            return false;
        }
        remove(e.window);
        if (auto it = pendingClasses_.find(e.window); it != pendingClasses_.end()) {
            xcb_discard_reply(connection_, it->second.sequence);
            pendingClasses_.erase(it);
        }
        break;
    }
    case XCB_REPARENT_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_reparent_notify_event_t&>(event);
        if (e.event != root_) {
            return false;
        }
        if (e.parent == root_) {
            // Put on top of its new siblings; the server maps it again if it was mapped.
            Child& child = top(e.window, false);
            child.x = e.x;
            child.y = e.y;
        } else if (contains(e.window)) {
            remove(e.window);
        } else {
            return false;
        }
        break;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (e.event != root_ || e.window == root_) {
            return false;
        }
        const auto i = indexOf(e.window);
        Child child = i ? children_[*i] : Child{e.window, false, false};
        child.setRectangle(e.x, e.y, e.width, e.height, e.border_width);
        const xcb_window_t below =
            (i && *i > 0) ? children_[*i - 1].window : xcb_window_t{XCB_WINDOW_NONE};
        if (i && below == e.above_sibling) {
            // Moved or resized in place.
            if (child.sameRectangle(children_[*i])) {
                return false;
            }
            children_[*i] = child;
            ++generation_; // the order and so the index stay
            return true;
        }
        insertAbove(child, e.above_sibling);
        break;
    }
    case XCB_CIRCULATE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_circulate_notify_event_t&>(event);
        const auto i = indexOf(e.window);
        if (e.event != root_ || !i) {
            return false;
        }
        const Child child = children_[*i];
        insertAbove(child, e.place == XCB_PLACE_ON_TOP ? children_.back().window
                                                       : xcb_window_t{XCB_WINDOW_NONE});
        break;
    }
    case XCB_MAP_NOTIFY:
    case XCB_UNMAP_NOTIFY: {
        // Both carry the event window and the window at the same places.
        const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        const auto i = indexOf(e.window);
        const bool mapped = type == XCB_MAP_NOTIFY;
        if (e.event != root_ || !i || children_[*i].mapped == mapped) {
            return false;
        }
        children_[*i].mapped = mapped;
        break;
    }
    default:
        return false;
    }
    changed();
    return true;
}

} // namespace tavrilux::x11
