#include "TestWindow.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace tavrilux::testdesktop {

namespace {

xcb_atom_t atom(xcb_connection_t* c, const std::string& name) {
    auto* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr);
    const xcb_atom_t result = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return result;
}

void setProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
                 std::uint8_t format, std::uint32_t count, const void* data) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type, format, count, data);
}

} // namespace

TestWindow::TestWindow(xcb_connection_t* connection, const TestWindowOptions& o)
    : connection_(connection), window_(xcb_generate_id(connection)) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const std::uint32_t values[] = {o.color, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window_, screen->root, o.x, o.y, o.width,
                      o.height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);

    std::string wmClass = o.instance;
    wmClass.push_back('\0');
    wmClass += o.windowClass;
    wmClass.push_back('\0');
    setProperty(connection, window_, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                static_cast<std::uint32_t>(wmClass.size()), wmClass.data());
    setProperty(connection, window_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                static_cast<std::uint32_t>(o.title.size()), o.title.data());
    // Ask for the position we give, so tests know where the window is.
    std::uint32_t hints[18] = {};
    hints[0] = 1 | 2 | 4 | 8; // USPosition | USSize | PPosition | PSize
    hints[1] = static_cast<std::uint32_t>(o.x);
    hints[2] = static_cast<std::uint32_t>(o.y);
    hints[3] = o.width;
    hints[4] = o.height;
    setProperty(connection, window_, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, 18,
                hints);

    const xcb_atom_t wmPid = atom(connection, "_NET_WM_PID");
    const std::uint32_t pid = o.pid.value_or(static_cast<std::uint32_t>(::getpid()));
    if (o.pidMode == TestWindowOptions::PidMode::normal) {
        setProperty(connection, window_, wmPid, XCB_ATOM_CARDINAL, 32, 1, &pid);
    } else if (o.pidMode == TestWindowOptions::PidMode::wrongType) {
        const std::string text = std::to_string(pid);
        setProperty(connection, window_, wmPid, XCB_ATOM_STRING, 8,
                    static_cast<std::uint32_t>(text.size()), text.data());
    }
    const xcb_atom_t type = atom(connection, "_NET_WM_WINDOW_TYPE_" + o.type);
    setProperty(connection, window_, atom(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1,
                &type);
    if (o.skipTaskbar) {
        const xcb_atom_t skip = atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
        setProperty(connection, window_, atom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 1,
                    &skip);
    }
    if (!o.gtkApplicationId.empty()) {
        setProperty(connection, window_, atom(connection, "_GTK_APPLICATION_ID"),
                    atom(connection, "UTF8_STRING"), 8,
                    static_cast<std::uint32_t>(o.gtkApplicationId.size()),
                    o.gtkApplicationId.data());
    }
    if (o.transientFor != XCB_WINDOW_NONE) {
        setProperty(connection, window_, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1,
                    &o.transientFor);
    }
    if (!o.strutEdge.empty()) {
        // left, right, top, bottom, then the start and end of each edge's strip.
        std::uint32_t strut[12] = {};
        const int right = o.x + o.width;
        const int bottom = o.y + o.height;
        const auto reserve = [&](int edge, int thickness, int start, int end) {
            strut[edge] = static_cast<std::uint32_t>(std::max(0, thickness));
            strut[4 + 2 * edge] = static_cast<std::uint32_t>(start);
            strut[5 + 2 * edge] = static_cast<std::uint32_t>(end - 1);
        };
        if (o.strutEdge == "left") {
            reserve(0, right, o.y, bottom);
        } else if (o.strutEdge == "right") {
            reserve(1, screen->width_in_pixels - o.x, o.y, bottom);
        } else if (o.strutEdge == "top") {
            reserve(2, bottom, o.x, right);
        } else if (o.strutEdge == "bottom") {
            reserve(3, screen->height_in_pixels - o.y, o.x, right);
        }
        setProperty(connection, window_, atom(connection, "_NET_WM_STRUT_PARTIAL"),
                    XCB_ATOM_CARDINAL, 32, 12, strut);
        setProperty(connection, window_, atom(connection, "_NET_WM_STRUT"), XCB_ATOM_CARDINAL, 32,
                    4, strut);
    }
    if (o.setWmState) {
        const std::uint32_t state[2] = {1, XCB_WINDOW_NONE}; // NormalState
        const xcb_atom_t wmState = atom(connection, "WM_STATE");
        setProperty(connection, window_, wmState, wmState, 32, 2, state);
    }
    xcb_map_window(connection, window_);
    xcb_flush(connection);
}

TestWindow::~TestWindow() {
    destroy();
}

void TestWindow::destroy() {
    if (window_ != XCB_WINDOW_NONE) {
        xcb_destroy_window(connection_, window_);
        xcb_flush(connection_);
        window_ = XCB_WINDOW_NONE;
    }
}

int TestWindow::parseArguments(int argc, char** argv, TestWindowOptions& o, int first) {
    int i = first;
    for (; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--class" && hasValue) {
            const std::string value = argv[++i];
            const auto comma = value.find(',');
            o.instance = value.substr(0, comma);
            o.windowClass = comma == std::string::npos ? value : value.substr(comma + 1);
        } else if (arg == "--pid" && hasValue) {
            o.pid = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--no-pid") {
            o.pidMode = TestWindowOptions::PidMode::absent;
        } else if (arg == "--bad-pid") {
            o.pidMode = TestWindowOptions::PidMode::wrongType;
        } else if (arg == "--color" && hasValue) {
            o.color = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 16));
        } else if (arg == "--geometry" && hasValue) {
            unsigned w = 0, h = 0;
            int x = 0, y = 0;
            if (std::sscanf(argv[++i], "%ux%u+%d+%d", &w, &h, &x, &y) == 4) {
                o.width = static_cast<std::uint16_t>(w);
                o.height = static_cast<std::uint16_t>(h);
                o.x = static_cast<std::int16_t>(x);
                o.y = static_cast<std::int16_t>(y);
            }
        } else if (arg == "--type" && hasValue) {
            o.type = argv[++i];
        } else if (arg == "--title" && hasValue) {
            o.title = argv[++i];
        } else if (arg == "--gtk-id" && hasValue) {
            o.gtkApplicationId = argv[++i];
        } else if (arg == "--strut" && hasValue) {
            o.strutEdge = argv[++i];
        } else if (arg == "--skip-taskbar") {
            o.skipTaskbar = true;
        } else if (arg == "--wm-state") {
            o.setWmState = true;
        } else {
            break;
        }
    }
    return i;
}

} // namespace tavrilux::testdesktop
