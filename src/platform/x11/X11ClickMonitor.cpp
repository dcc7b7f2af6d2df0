#include "platform/x11/X11ClickMonitor.h"

#include "platform/x11/XcbReply.h"
#include "platform/x11/XcbScreenConnection.h"
#include <xcb/xinput.h>

#include <cstdlib>

namespace tavrilux::x11 {

namespace {

// X numbers the wheel's steps as buttons: 4 and 5 up and down, 6 and 7 left and right.
constexpr std::uint32_t kFirstWheelButton = 4;
constexpr std::uint32_t kLastWheelButton = 7;

} // namespace

std::unique_ptr<X11ClickMonitor> X11ClickMonitor::connect(MainQueue& queue, const char* displayName,
                                                          std::string* error) {
    const auto fail = [error](xcb_connection_t* c, const char* why) {
        xcb_disconnect(c);
        if (error != nullptr) {
            *error = why;
        }
        return nullptr;
    };
    const XcbScreenConnection opened = connectToScreen(displayName, error);
    if (opened.connection == nullptr) {
        return nullptr;
    }
    xcb_connection_t* connection = opened.connection;
    const xcb_query_extension_reply_t* xi = xcb_get_extension_data(connection, &xcb_input_id);
    if (xi == nullptr || xi->present == 0) {
        return fail(connection, "the X server has no XInput extension");
    }
    // 2.2 or later: raw events then come whoever holds a grab (menus grab the pointer).
    auto version = reply(xcb_input_xi_query_version_reply(
        connection, xcb_input_xi_query_version(connection, 2, 2), nullptr));
    if (!version || version->major_version < 2 ||
        (version->major_version == 2 && version->minor_version < 2)) {
        return fail(connection, "the X server lacks XInput 2.2");
    }
    return std::unique_ptr<X11ClickMonitor>(
        new X11ClickMonitor(queue, connection, opened.root, xi->major_opcode));
}

X11ClickMonitor::X11ClickMonitor(MainQueue& queue, xcb_connection_t* connection, xcb_window_t root,
                                 std::uint8_t opcode)
    : queue_(queue), connection_(connection), root_(root), opcode_(opcode) {}

X11ClickMonitor::~X11ClickMonitor() {
    disarm();
    xcb_disconnect(connection_);
}

void X11ClickMonitor::select(std::uint32_t mask) {
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, mask};
    xcb_input_xi_select_events(connection_, root_, 1, &selection.head);
    xcb_flush(connection_);
}

void X11ClickMonitor::arm(Handler handler) {
    handler_ = std::move(handler);
    armed_ = std::make_shared<bool>(true);
    select(XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS);
}

void X11ClickMonitor::disarm() {
    if (armed_) {
        select(0);
    }
    armed_.reset();
    handler_ = nullptr;
}

int X11ClickMonitor::fileDescriptor() const {
    return xcb_get_file_descriptor(connection_);
}

bool X11ClickMonitor::isConnected() const {
    return xcb_connection_has_error(connection_) == 0;
}

void X11ClickMonitor::processEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const auto* generic = reinterpret_cast<xcb_ge_generic_event_t*>(event);
        bool wanted = false;
        xcb_timestamp_t time = 0;
        if ((event->response_type & 0x7f) == XCB_GE_GENERIC && generic->extension == opcode_ &&
            generic->event_type == XCB_INPUT_RAW_BUTTON_PRESS) {
            const auto* press = reinterpret_cast<xcb_input_raw_button_press_event_t*>(event);
            wanted =
                armed_ && (press->detail < kFirstWheelButton || press->detail > kLastWheelButton);
            time = press->time;
        }
        std::free(event);
        if (!wanted) {
            continue;
        }
        auto pointer = reply(
            xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root_), nullptr));
        if (pointer) {
            queue_.post([weak = std::weak_ptr<bool>(armed_), handler = handler_,
                         press = Press{pointer->root_x, pointer->root_y, time}] {
                if (weak.lock()) {
                    handler(press);
                }
            });
        }
    }
}

} // namespace tavrilux::x11
