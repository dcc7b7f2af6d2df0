#pragma once

#include "EngineProcess.h"
#include "TestDesktopFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace tavrilux::e2e {
using testdesktop::DesktopControl;
using testdesktop::TestDesktop;
using namespace std::chrono_literals;

inline constexpr int kRight = TestDesktop::kMonitorWidth; // left edge of the right monitor

using Colour = DesktopControl::Colour;

inline bool soon(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s) {
    return DesktopControl::waitUntil(condition, timeout);
}

// `below` seen through a fully faded-in overlay: its tint premultiplied into 8-bit channels by
// the window, then laid over by the compositor. The default look halves every channel.
inline Colour dimmed(const Colour& below, const EngineLook& look = {}) {
    const double alpha = static_cast<double>(std::lround(look.tint * 255.0)) / 255.0;
    const auto channel = [&](int under, double tint) {
        return static_cast<int>(std::lround(
            static_cast<double>(std::lround(tint * look.tint * 255.0)) + under * (1.0 - alpha)));
    };
    return Colour{channel(below.red, look.red), channel(below.green, look.green),
                  channel(below.blue, look.blue)};
}

class OverlayEndToEndTest : public testdesktop::TestDesktopFixture {
protected:
    void TearDown() override {
        engine.reset();
        TestDesktopFixture::TearDown();
    }

    // One application's window on the test desktop.
    xcb_window_t startApp(const std::string& name, const std::string& color,
                          const std::string& geometry, std::vector<std::string> more = {}) {
        more.insert(more.end(),
                    {"--class", name + "," + name, "--color", color, "--geometry", geometry});
        clients.push_back(startManagedClient(more));
        return clients.back().windows.at(0);
    }

    // One application's two overlapping windows ("multi"), the first raised right over the
    // second, and another application's window ("beta") below both; the three, in that order.
    std::tuple<xcb_window_t, xcb_window_t, xcb_window_t> twoWindowsOfOneApplication() {
        const auto w1 =
            startApp("multi", "cc3366", "400x300+100+100", {"--count", "2", "--step", "120"});
        const auto w2 = clients.back().windows.at(1);
        const auto other = startApp("beta", "3366cc", "400x300+700+150");
        for (const auto w : {other, w2, w1}) {
            control->activate(w);
        }
        return {w1, w2, other};
    }

    // One application's main window ("multi") and a dialog of it `step` pixels lower right:
    // `kind` "--dialog" makes it a dialog of no window in particular (as Qt's without a parent),
    // "--transient" one of the main window (WM_TRANSIENT_FOR). The two.
    std::pair<xcb_window_t, xcb_window_t> startWithDialog(const std::string& kind, int step) {
        const auto main = startApp("multi", "cc3366", "300x200+100+100",
                                   {"--count", "2", "--step", std::to_string(step), kind});
        return {main, clients.back().windows.at(1)};
    }

    // Starts the engine and waits (up to 10 s) until `ready` holds.
    bool startEngineUntil(const std::function<bool()>& ready, const EngineLook& look = {}) {
        engine = std::make_unique<EngineProcess>(desktop->display(), look);
        const bool ok = soon(ready, 10s);
        if (!ok) {
            ADD_FAILURE() << engine->standardError();
        }
        return ok;
    }
    bool startEngineBelow(xcb_window_t app, const EngineLook& look = {}) {
        return startEngineUntil([&] { return overlayDirectlyBelow(app); }, look);
    }

    // The engine quits cleanly when terminated and leaves no overlay behind.
    void expectCleanExit() {
        EXPECT_TRUE(engine->isRunning());
        EXPECT_EQ(engine->terminate(), 0) << engine->standardError();
        EXPECT_EQ(overlayWindowCount(), 0);
    }

    bool hasOverlayClass(xcb_window_t w) {
        return control->wmClass(w).rfind(std::string("tavrilux-overlay") + '\0', 0) == 0;
    }
    // An overlay among the root's children: our own window, or the frame a window manager put
    // around it.
    bool isOverlay(xcb_window_t w) {
        if (hasOverlayClass(w)) {
            return true;
        }
        const auto managed = control->stackingList();
        return std::any_of(managed.begin(), managed.end(), [&](xcb_window_t client) {
            return control->topLevelOf(client) == w && hasOverlayClass(client);
        });
    }

    // Mapped overlays (their top-level windows) whose left edge lies on the monitor starting at
    // `monitorX`.
    std::vector<xcb_window_t> mappedOverlaysOn(int monitorX) {
        std::vector<xcb_window_t> overlays;
        for (xcb_window_t w : control->rootChildren()) {
            if (isOverlay(w) && control->isViewable(w) &&
                control->frameGeometry(w).value_or(DesktopControl::Geometry{-1}).x == monitorX) {
                overlays.push_back(w);
            }
        }
        return overlays;
    }
    int overlaysOn(int monitorX) { return static_cast<int>(mappedOverlaysOn(monitorX).size()); }

    // Every overlay shown (our own top-level windows) is at full opacity: no fade runs.
    bool fadedIn() {
        for (xcb_window_t w : control->rootChildren()) {
            if (!hasOverlayClass(w) || !control->isViewable(w)) {
                continue;
            }
            auto* r = xcb_get_property_reply(
                c(),
                xcb_get_property(c(), 0, w, control->atom("_NET_WM_WINDOW_OPACITY"),
                                 XCB_ATOM_CARDINAL, 0, 1),
                nullptr);
            const bool opaque =
                r != nullptr && r->format == 32 && xcb_get_property_value_length(r) == 4 &&
                *static_cast<const std::uint32_t*>(xcb_get_property_value(r)) == 0xFFFFFFFFu;
            std::free(r);
            if (!opaque) {
                return false;
            }
        }
        return true;
    }

    int overlayWindowCount() {
        int count = 0;
        for (xcb_window_t w : control->rootChildren()) {
            count += isOverlay(w);
        }
        return count;
    }

    // A mapped overlay lies directly below the frame of `client`.
    bool overlayDirectlyBelow(xcb_window_t client) {
        const auto list = control->rootChildren();
        // The first window below the frame that draws anything.
        for (auto it = std::find(list.rbegin(), list.rend(), control->topLevelOf(client));
             it != list.rend() && ++it != list.rend();) {
            auto* a =
                xcb_get_window_attributes_reply(c(), xcb_get_window_attributes(c(), *it), nullptr);
            const bool draws = a != nullptr && a->map_state == XCB_MAP_STATE_VIEWABLE &&
                               a->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT;
            std::free(a);
            if (draws) {
                return isOverlay(*it);
            }
        }
        return false;
    }

    // What `read` gives comes within `tolerance` of `colour` in every channel, soon; else what it
    // gave last.
    ::testing::AssertionResult soonNear(const std::function<Colour()>& read, const Colour& colour,
                                        int tolerance = 2) {
        Colour last;
        if (soon([&] {
                last = read();
                return std::abs(last.red - colour.red) <= tolerance &&
                       std::abs(last.green - colour.green) <= tolerance &&
                       std::abs(last.blue - colour.blue) <= tolerance;
            })) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure()
               << "shows (" << last.red << ", " << last.green << ", " << last.blue << "), not ("
               << colour.red << ", " << colour.green << ", " << colour.blue << ")";
    }
    // The window's centre shows `colour` (within rounding), soon.
    ::testing::AssertionResult soonShows(xcb_window_t client, const Colour& colour) {
        return soonNear([this, client] { return control->centrePixel(client); }, colour);
    }

    // The window manager stacks `lower` below `upper` (its list, bottom to top).
    bool stackedBelow(xcb_window_t lower, xcb_window_t upper) {
        const auto list = control->stackingList();
        const auto at = [&](xcb_window_t w) { return std::find(list.begin(), list.end(), w); };
        return at(lower) < at(upper) && at(upper) != list.end();
    }

    static void expectNear(const Colour& actual, const Colour& expected, int tolerance,
                           const char* what) {
        EXPECT_NEAR(actual.red, expected.red, tolerance) << what;
        EXPECT_NEAR(actual.green, expected.green, tolerance) << what;
        EXPECT_NEAR(actual.blue, expected.blue, tolerance) << what;
    }

    std::vector<TestDesktop::Client> clients;
    std::unique_ptr<EngineProcess> engine;
};

// The clients paint their own colours.
inline const Colour kAlpha{0xff, 0x88, 0x00};
inline const Colour kBeta{0x33, 0x66, 0xcc};
inline const Colour kGamma{0x33, 0xcc, 0x66};

// Each on a desktop of another window manager.
template <const char* windowManager> class OnDesktop : public OverlayEndToEndTest {
protected:
    TestDesktop::Options desktopOptions() const override { return {false, windowManager}; }
    void SetUp() override {
        const std::string wm = windowManager;
        if (std::system(
                ("command -v " + (wm == "kwin" ? "kwin_x11" : wm) + " >/dev/null").c_str())) {
            GTEST_SKIP() << wm << " is not installed";
        }
        OverlayEndToEndTest::SetUp();
    }
};
inline constexpr char kFluxbox[] = "fluxbox";
inline constexpr char kI3[] = "i3";
inline constexpr char kKWin[] = "kwin";
inline constexpr char kXfwm4[] = "xfwm4";
using OnFluxbox = OnDesktop<kFluxbox>;
using OnI3 = OnDesktop<kI3>;
using OnKWin = OnDesktop<kKWin>;
using OnXfwm4 = OnDesktop<kXfwm4>;

inline const Colour kMulti{0xcc, 0x33, 0x66};

} // namespace tavrilux::e2e
