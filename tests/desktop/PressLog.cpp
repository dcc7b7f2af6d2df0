#include "PressLog.h"

#include <xcb/xinput.h>

#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace tavrilux::testdesktop {

PressLog::PressLog(const std::string& display)
    : connection_(xcb_connect(display.c_str(), nullptr)) {
    if (xcb_connection_has_error(connection_) != 0) {
        xcb_disconnect(connection_);
        throw std::runtime_error("press log: cannot connect to " + display);
    }
    const xcb_query_extension_reply_t* xi = xcb_get_extension_data(connection_, &xcb_input_id);
    if (xi == nullptr || xi->present == 0) {
        xcb_disconnect(connection_);
        throw std::runtime_error("press log: no XInput extension");
    }
    xinputOpcode_ = xi->major_opcode;
    // Raw events need XInput 2 announced first.
    std::free(xcb_input_xi_query_version_reply(
        connection_, xcb_input_xi_query_version(connection_, 2, 2), nullptr));
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    xcb_input_xi_select_events(connection_, root, 1, &selection.head);
    // Selected once the server has it: a press after the constructor is logged.
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

PressLog::~PressLog() {
    xcb_disconnect(connection_);
}

void PressLog::watch(xcb_window_t window) {
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &mask);
    watched_.push_back(window);
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

int PressLog::indexOf(const Entry& entry) const {
    const auto it = std::find(entries_.begin(), entries_.end(), entry);
    return it == entries_.end() ? -1 : static_cast<int>(it - entries_.begin());
}

void PressLog::read(const xcb_generic_event_t& event) {
    const auto type = event.response_type & 0x7f;
    if (type == XCB_GE_GENERIC) {
        const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
        if (generic.extension == xinputOpcode_ &&
            generic.event_type == XCB_INPUT_RAW_BUTTON_PRESS) {
            entries_.push_back(
                {Entry::Kind::press,
                 reinterpret_cast<const xcb_input_raw_button_press_event_t&>(event).detail});
        }
        return;
    }
    xcb_window_t gone = XCB_WINDOW_NONE;
    if (type == XCB_UNMAP_NOTIFY) {
        gone = reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window;
    } else if (type == XCB_DESTROY_NOTIFY) {
        gone = reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window;
    }
    if (std::find(watched_.begin(), watched_.end(), gone) != watched_.end() &&
        indexOf({Entry::Kind::gone, gone}) < 0) {
        entries_.push_back({Entry::Kind::gone, gone});
    }
}

bool PressLog::waitUntil(const std::function<bool(const std::vector<Entry>&)>& done,
                         std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (true) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            read(*event);
            std::free(event);
        }
        if (done(entries_)) {
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || xcb_connection_has_error(connection_) != 0) {
            return false;
        }
        pollfd descriptor{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ::poll(&descriptor, 1, static_cast<int>(left.count()));
    }
}

} // namespace tavrilux::testdesktop
