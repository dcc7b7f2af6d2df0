#pragma once

#include <xcb/xcb.h>

#include <string>
#include <sys/types.h>
#include <vector>

namespace tavrilux::testdesktop {

// A running test desktop (tests/desktop/test-desktop.sh): its own Xvfb display with two
// 1280x800 RandR monitors side by side ("tavrilux-left", primary, and "tavrilux-right"),
// openbox (or another window manager), picom and trayer, unless `bare`. Everything it starts stops
// with it, by process id; should this process die, the desktop notices its closed pipe and stops
// too.
class TestDesktop final {
public:
    struct Options {
        bool bare = false;
        // "openbox", "fluxbox", "i3", "kwin" or "xfwm4" (the last two composite themselves).
        std::string windowManager = "openbox";
    };
    struct Client {
        pid_t pid = 0;
        std::vector<xcb_window_t> windows;
    };

    static constexpr int kMonitorWidth = 1280;
    static constexpr int kMonitorHeight = 800;

    // Throws std::runtime_error when the desktop does not come up.
    TestDesktop();
    explicit TestDesktop(Options options);
    ~TestDesktop();
    TestDesktop(const TestDesktop&) = delete;
    TestDesktop& operator=(const TestDesktop&) = delete;

    // ":N"
    const std::string& display() const { return display_; }
    pid_t serverPid() const { return serverPid_; }

    // Starts tavrilux_test_client with `args` (see TestWindow::parseArguments, plus --count N)
    // and returns once it has mapped its windows.
    Client startClient(const std::vector<std::string>& args);
    // Ends a client started here (SIGTERM, then reaped).
    void stopClient(const Client& client);
    // Ends the X server alone, leaving the rest to notice.
    void killServer();
    // Runs xrandr with `arguments` (shell words) on this desktop; its exit status.
    int xrandr(const std::string& arguments) const;
    // A compositing manager of the test's own (picom), for a bare desktop.
    void startCompositor();
    void stopCompositor();
    void stop();

private:
    pid_t scriptPid_ = -1;
    pid_t serverPid_ = -1;
    pid_t compositorPid_ = -1;
    int scriptInput_ = -1;
    std::string display_;
    std::vector<pid_t> clients_;
};

} // namespace tavrilux::testdesktop
