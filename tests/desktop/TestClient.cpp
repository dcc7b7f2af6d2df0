// A test application: maps windows of a known class, process and colour, prints their ids
// ("window 0x...") and lives until it is killed or its X server goes away.
//
// Usage: tavrilux_test_client [window options] [--count N] [--step PIXELS] [--dialog]
//        [--transient] [--orphan]
// --dialog: the windows after the first are dialogs of no window in particular (as a Qt dialog
// without a parent), which window managers raise on their own.
// --transient: the windows after the first are dialogs of the first (WM_TRANSIENT_FOR), which
// window managers keep above it.
// --orphan: leave the windows behind and exit, so that no process owns them any more.
#include "TestWindow.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/prctl.h>
#include <unistd.h>
#include <vector>

using tavrilux::testdesktop::TestWindow;
using tavrilux::testdesktop::TestWindowOptions;

int main(int argc, char** argv) {
    // Never outlive the test that started us.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    TestWindowOptions options;
    int count = 1;
    int step = 20;
    bool orphan = false;
    bool dialogs = false;
    bool transients = false;
    for (int i = 1; i < argc;) {
        i = TestWindow::parseArguments(argc, argv, options, i);
        if (i >= argc) {
            break;
        }
        if (std::strcmp(argv[i], "--count") == 0 && i + 1 < argc) {
            count = std::atoi(argv[i + 1]);
            i += 2;
        } else if (std::strcmp(argv[i], "--orphan") == 0) {
            orphan = true;
            ++i;
        } else if (std::strcmp(argv[i], "--dialog") == 0) {
            dialogs = true;
            ++i;
        } else if (std::strcmp(argv[i], "--transient") == 0) {
            transients = true;
            ++i;
        } else if (std::strcmp(argv[i], "--step") == 0 && i + 1 < argc) {
            step = std::atoi(argv[i + 1]);
            i += 2;
        } else {
            std::fprintf(stderr, "tavrilux_test_client: unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "tavrilux_test_client: cannot connect to the X server\n");
        return 1;
    }
    std::vector<std::unique_ptr<TestWindow>> windows;
    for (int i = 0; i < count; ++i) {
        TestWindowOptions o = options;
        o.x = static_cast<std::int16_t>(options.x + i * step);
        o.y = static_cast<std::int16_t>(options.y + i * step);
        if ((dialogs || transients) && i > 0) {
            o.type = "DIALOG";
        }
        if (transients && i > 0) {
            o.transientFor = windows.front()->id();
        }
        windows.push_back(std::make_unique<TestWindow>(connection, o));
        std::printf("window 0x%x\n", windows.back()->id());
    }
    std::fflush(stdout);
    if (orphan) {
        xcb_set_close_down_mode(connection, XCB_CLOSE_DOWN_RETAIN_PERMANENT);
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        ::_exit(0); // no destructor may destroy the windows
    }
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        std::free(event);
    }
    return 0;
}
