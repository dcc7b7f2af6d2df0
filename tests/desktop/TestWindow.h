#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>

namespace tavrilux::testdesktop {

// What a test window looks like to the window manager and to us.
struct TestWindowOptions {
    std::string instance = "tavrilux-test";
    std::string windowClass = "TavriluxTest";
    std::string title = "Tavrilux test window";
    // _NET_WM_PID: this process when unset; `pidMode` may drop or spoil it.
    std::optional<std::uint32_t> pid;
    enum class PidMode { normal, absent, wrongType } pidMode = PidMode::normal;
    std::uint32_t color = 0x3366cc; // 0xRRGGBB
    std::int16_t x = 100, y = 100;
    std::uint16_t width = 400, height = 300;
    // An EWMH type name without its prefix: "NORMAL", "DIALOG", "DOCK", "UTILITY"...
    std::string type = "NORMAL";
    bool skipTaskbar = false;
    // Sets WM_STATE itself, as a window manager would (for servers without one).
    bool setWmState = false;
    std::string gtkApplicationId;
    // WM_TRANSIENT_FOR: a dialog of this window.
    xcb_window_t transientFor = XCB_WINDOW_NONE;
    // The screen edge ("left", "right", "top", "bottom") whose strip up to the window's far side
    // it reserves along its own length, as a dock does (_NET_WM_STRUT_PARTIAL and _NET_WM_STRUT).
    std::string strutEdge;
};

// A plain X window with the given class, process, colour and geometry, mapped on construction.
// The window server paints its colour; nothing needs drawing.
class TestWindow final {
public:
    TestWindow(xcb_connection_t* connection, const TestWindowOptions& options);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    xcb_window_t id() const { return window_; }
    void destroy();

    // Parses "--class i,c --pid N --no-pid --bad-pid --color RRGGBB --geometry WxH+X+Y --type T
    // --skip-taskbar --wm-state --title T --gtk-id ID --strut EDGE"; returns the index of the first
    // argument it did not know, or argc.
    static int parseArguments(int argc, char** argv, TestWindowOptions& options, int first = 1);

private:
    xcb_connection_t* connection_;
    xcb_window_t window_;
};

} // namespace tavrilux::testdesktop
