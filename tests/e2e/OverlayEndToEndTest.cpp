#include "EngineProcess.h"
#include "TestDesktopFixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tavrilux::e2e {
namespace {

using testdesktop::DesktopControl;
using testdesktop::TestDesktop;
using namespace std::chrono_literals;

struct Pixel {
    int r = 0, g = 0, b = 0;
};

// One application's window on the test desktop.
struct App {
    TestDesktop::Client client;
    xcb_window_t window() const { return client.windows.at(0); }
};

class OverlayEndToEndTest : public testdesktop::TestDesktopFixture {
protected:
    xcb_connection_t* c() const { return control->connection(); }

    App startApp(const std::string& name, const std::string& color, const std::string& geometry) {
        return App{startManagedClient(
            {"--class", name + "," + name, "--color", color, "--geometry", geometry})};
    }

    std::string wmClass(xcb_window_t w) {
        auto* r = xcb_get_property_reply(
            c(), xcb_get_property(c(), 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64), nullptr);
        std::string result;
        if (r != nullptr) {
            result.assign(static_cast<const char*>(xcb_get_property_value(r)),
                          static_cast<std::size_t>(xcb_get_property_value_length(r)));
            std::free(r);
        }
        return result;
    }

    bool isOverlay(xcb_window_t w) {
        return wmClass(w).rfind(std::string("tavrilux-overlay") + '\0', 0) == 0;
    }

    bool isViewable(xcb_window_t w) {
        auto* r = xcb_get_window_attributes_reply(c(), xcb_get_window_attributes(c(), w), nullptr);
        const bool viewable = r != nullptr && r->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(r);
        return viewable;
    }

    // The root's children, bottom to top.
    std::vector<xcb_window_t> stacking() {
        auto* r = xcb_query_tree_reply(c(), xcb_query_tree(c(), control->root()), nullptr);
        std::vector<xcb_window_t> children;
        if (r != nullptr) {
            const xcb_window_t* list = xcb_query_tree_children(r);
            children.assign(list, list + xcb_query_tree_children_length(r));
            std::free(r);
        }
        return children;
    }

    int rootX(xcb_window_t w) {
        auto* r = xcb_get_geometry_reply(c(), xcb_get_geometry(c(), w), nullptr);
        const int x = r != nullptr ? r->x : -1;
        std::free(r);
        return x;
    }

    // Mapped overlays whose left edge lies on the monitor starting at `monitorX`.
    int overlaysOn(int monitorX) {
        int count = 0;
        for (xcb_window_t w : stacking()) {
            count += isOverlay(w) && isViewable(w) && rootX(w) == monitorX;
        }
        return count;
    }

    int overlayWindowCount() {
        int count = 0;
        for (xcb_window_t w : stacking()) {
            count += isOverlay(w);
        }
        return count;
    }

    // A mapped overlay lies directly below the frame of `client`.
    bool overlayDirectlyBelow(xcb_window_t client) {
        const auto list = stacking();
        for (std::size_t i = 1; i < list.size(); ++i) {
            if (isFrameOf(list[i], client)) {
                return isOverlay(list[i - 1]) && isViewable(list[i - 1]);
            }
        }
        return false;
    }

    bool isFrameOf(xcb_window_t frame, xcb_window_t client) {
        for (xcb_window_t w = client;;) {
            if (w == frame) {
                return true;
            }
            auto* r = xcb_query_tree_reply(c(), xcb_query_tree(c(), w), nullptr);
            if (r == nullptr) {
                return false;
            }
            const xcb_window_t parent = r->parent;
            std::free(r);
            if (parent == control->root() || parent == XCB_WINDOW_NONE) {
                return false;
            }
            w = parent;
        }
    }

    Pixel pixelAt(int x, int y) {
        auto* r = xcb_get_image_reply(c(),
                                      xcb_get_image(c(), XCB_IMAGE_FORMAT_Z_PIXMAP, control->root(),
                                                    static_cast<std::int16_t>(x),
                                                    static_cast<std::int16_t>(y), 1, 1, 0xffffffff),
                                      nullptr);
        Pixel p;
        if (r != nullptr && xcb_get_image_data_length(r) >= 4) {
            const std::uint8_t* d = xcb_get_image_data(r);
            p = Pixel{d[2], d[1], d[0]};
        }
        std::free(r);
        return p;
    }

    // The centre of a client window, in root coordinates.
    std::pair<int, int> centreOf(xcb_window_t client) {
        auto* r = xcb_translate_coordinates_reply(
            c(), xcb_translate_coordinates(c(), client, control->root(), 0, 0), nullptr);
        auto* g = xcb_get_geometry_reply(c(), xcb_get_geometry(c(), client), nullptr);
        std::pair<int, int> centre{-1, -1};
        if (r != nullptr && g != nullptr) {
            centre = {r->dst_x + g->width / 2, r->dst_y + g->height / 2};
        }
        std::free(r);
        std::free(g);
        return centre;
    }

    Pixel centrePixel(xcb_window_t client) {
        const auto [x, y] = centreOf(client);
        return pixelAt(x, y);
    }

    void expectNear(const Pixel& actual, const Pixel& expected, int tolerance, const char* what) {
        EXPECT_NEAR(actual.r, expected.r, tolerance) << what;
        EXPECT_NEAR(actual.g, expected.g, tolerance) << what;
        EXPECT_NEAR(actual.b, expected.b, tolerance) << what;
    }

    static Pixel halved(const Pixel& p) { return Pixel{p.r / 2, p.g / 2, p.b / 2}; }

    std::unique_ptr<EngineProcess> startEngine(const EngineLook& look = {}) {
        return std::make_unique<EngineProcess>(desktop->display(), look);
    }

    // Runs xrandr on the test desktop.
    int xrandr(const std::string& arguments) {
        const std::string command =
            "DISPLAY=" + desktop->display() + " xrandr " + arguments + " >/dev/null 2>&1";
        return std::system(command.c_str());
    }
};

TEST_F(OverlayEndToEndTest, FocusedApplicationStaysBrightAndEverythingElseIsDimmed) {
    const App a = startApp("alpha", "ff8800", "400x300+100+100");
    const App b = startApp("beta", "3366cc", "400x300+700+300");
    const App right = startApp("gamma", "33cc66", "400x300+1500+200");
    control->activate(right.window());
    control->activate(a.window());
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return control->activeWindow() == a.window(); }));
    // The clients paint their own colours; the desktop's is read once the compositor drew it.
    const Pixel aBefore{0xff, 0x88, 0x00};
    const Pixel bBefore{0x33, 0x66, 0xcc};
    const Pixel rightBefore{0x33, 0xcc, 0x66};
    Pixel desktopBefore;
    ASSERT_TRUE(DesktopControl::waitUntil([&] {
        const Pixel now = pixelAt(640, 750);
        // Black until the compositor's first frame.
        const bool settled = now.r == desktopBefore.r && now.g == desktopBefore.g &&
                             now.b == desktopBefore.b && now.r + now.g + now.b > 0 &&
                             centrePixel(a.window()).r == 0xff;
        desktopBefore = now;
        std::this_thread::sleep_for(50ms);
        return settled;
    }));

    auto engine = startEngine();
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return overlayDirectlyBelow(a.window()); }, 10s))
        << engine->standardError();
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return overlayDirectlyBelow(right.window()); }));
    std::this_thread::sleep_for(800ms); // the fade-in and a compositor frame
    EXPECT_EQ(overlaysOn(0), 1);
    EXPECT_EQ(overlaysOn(TestDesktop::kMonitorWidth), 1);

    expectNear(centrePixel(a.window()), aBefore, 1, "the focused window is untouched");
    expectNear(centrePixel(b.window()), halved(bBefore), 2, "another window is dimmed");
    expectNear(pixelAt(640, 750), halved(desktopBefore), 2, "the desktop is dimmed");
    expectNear(centrePixel(right.window()), rightBefore, 1,
               "the second monitor's focused window is bright");
    EXPECT_TRUE(engine->isRunning());
}

TEST_F(OverlayEndToEndTest, ActivationCrossFadesToTheNewApplication) {
    const App a = startApp("alpha", "ff8800", "400x300+100+100");
    const App b = startApp("beta", "3366cc", "400x300+700+300");
    control->activate(a.window());
    const Pixel aBright{0xff, 0x88, 0x00};
    const Pixel bBright{0x33, 0x66, 0xcc};
    auto engine = startEngine(EngineLook{0.5, 1.0});
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return overlayDirectlyBelow(a.window()); }, 10s))
        << engine->standardError();
    std::this_thread::sleep_for(1500ms);

    control->activate(b.window());
    int most = 0;
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < 700ms) {
        most = std::max(most, overlaysOn(0));
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(most, 2) << "two overlays during the cross-fade";
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return overlaysOn(0) == 1; }, 3s));
    EXPECT_TRUE(overlayDirectlyBelow(b.window()));
    std::this_thread::sleep_for(300ms);
    expectNear(centrePixel(b.window()), bBright, 1, "the new application is bright");
    expectNear(centrePixel(a.window()), halved(aBright), 2, "the former one is dimmed");
}

TEST_F(OverlayEndToEndTest, TerminationRemovesEveryOverlay) {
    const App a = startApp("alpha", "ff8800", "400x300+100+100");
    const App right = startApp("gamma", "33cc66", "400x300+1500+200");
    control->activate(a.window());
    auto engine = startEngine();
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return overlaysOn(0) == 1; }, 10s))
        << engine->standardError();
    ASSERT_TRUE(
        DesktopControl::waitUntil([&] { return overlaysOn(TestDesktop::kMonitorWidth) == 1; }));
    EXPECT_EQ(engine->terminate(), 0);
    EXPECT_EQ(overlayWindowCount(), 0);
}

TEST_F(OverlayEndToEndTest, AnchorWindowDestroyedUnderTheOverlay) {
    const App a = startApp("alpha", "ff8800", "400x300+100+100");
    const App b = startApp("beta", "3366cc", "400x300+700+300");
    control->activate(b.window());
    control->activate(a.window());
    auto engine = startEngine();
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return overlayDirectlyBelow(a.window()); }, 10s))
        << engine->standardError();
    desktop->stopClient(a.client);
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return overlayDirectlyBelow(b.window()); }, 5s));
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return overlaysOn(0) == 1; }, 3s));
    EXPECT_TRUE(engine->isRunning());
    EXPECT_EQ(engine->terminate(), 0);
    EXPECT_EQ(overlayWindowCount(), 0);
}

TEST_F(OverlayEndToEndTest, MonitorRemovedDuringAFade) {
    const App a = startApp("alpha", "ff8800", "400x300+100+100");
    const App right = startApp("gamma", "33cc66", "400x300+1500+200");
    const App other = startApp("delta", "cc3366", "400x300+1700+300");
    control->activate(right.window());
    control->activate(a.window());
    auto engine = startEngine(EngineLook{0.5, 2.0});
    ASSERT_TRUE(
        DesktopControl::waitUntil([&] { return overlaysOn(TestDesktop::kMonitorWidth) == 1; }, 10s))
        << engine->standardError();
    std::this_thread::sleep_for(2500ms);
    control->activate(other.window()); // a cross-fade on the right monitor
    ASSERT_TRUE(
        DesktopControl::waitUntil([&] { return overlaysOn(TestDesktop::kMonitorWidth) == 2; }));
    // Monitor edits alone send no RandR event; the output change after it does.
    ASSERT_EQ(xrandr("--delmonitor tavrilux-right"), 0);
    ASSERT_EQ(xrandr("--noprimary"), 0);
    ASSERT_EQ(xrandr("--output screen --primary"), 0);
    // The monitor's slot is torn down at once: no overlay is left on its area.
    EXPECT_TRUE(
        DesktopControl::waitUntil([&] { return overlaysOn(TestDesktop::kMonitorWidth) == 0; }, 3s));
    std::this_thread::sleep_for(2500ms);
    EXPECT_EQ(overlaysOn(TestDesktop::kMonitorWidth), 0);
    EXPECT_TRUE(engine->isRunning());
    EXPECT_EQ(engine->terminate(), 0);
    EXPECT_EQ(overlayWindowCount(), 0);
}

TEST_F(OverlayEndToEndTest, FloodOfFocusChangesNeverStacksOverlays) {
    std::vector<App> apps;
    apps.push_back(startApp("alpha", "ff8800", "300x200+50+50"));
    apps.push_back(startApp("beta", "3366cc", "300x200+400+100"));
    apps.push_back(startApp("gamma", "33cc66", "300x200+750+150"));
    control->activate(apps[0].window());
    auto engine = startEngine(EngineLook{0.5, 1.0});
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return overlaysOn(0) == 1; }, 10s))
        << engine->standardError();
    int most = 0;
    for (int i = 1; i <= 40; ++i) {
        control->activate(apps[static_cast<std::size_t>(i % 3)].window());
        std::this_thread::sleep_for(15ms);
        most = std::max(most, overlaysOn(0));
    }
    EXPECT_LE(most, 2) << "at most two overlays per monitor";
    const xcb_window_t last = apps[40 % 3].window();
    ASSERT_TRUE(DesktopControl::waitUntil(
        [&] { return overlaysOn(0) == 1 && overlayDirectlyBelow(last); }, 5s));
    EXPECT_TRUE(engine->isRunning());
    EXPECT_EQ(engine->terminate(), 0);
    EXPECT_EQ(overlayWindowCount(), 0);
}

TEST_F(OverlayEndToEndTest, WorkspaceSwitchLeavesNoOverlayBehindAndReturnsWithTheWindow) {
    const App a = startApp("alpha", "ff8800", "400x300+100+100");
    control->activate(a.window());
    auto engine = startEngine();
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return overlayDirectlyBelow(a.window()); }, 10s))
        << engine->standardError();
    // The second desktop is empty: nothing is dimmed there.
    control->switchDesktop(1);
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return overlaysOn(0) == 0; }, 3s));
    control->switchDesktop(0);
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return overlayDirectlyBelow(a.window()); }, 3s));
    EXPECT_EQ(overlaysOn(0), 1);
    EXPECT_EQ(engine->terminate(), 0);
    EXPECT_EQ(overlayWindowCount(), 0);
}

// The "[DimmingPerf]" lines the engine has written so far.
std::vector<std::string> diagnosticsLines(const std::string& standardError) {
    std::vector<std::string> lines;
    std::istringstream in(standardError);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("[DimmingPerf] ", 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

TEST_F(OverlayEndToEndTest, DiagnosticsLineCountsTheOverlaysEveryTwoSeconds) {
    const App a = startApp("alpha", "ff8800", "400x300+100+100");
    control->activate(a.window());
    const auto started = std::chrono::steady_clock::now();
    auto engine = startEngine();
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return overlayDirectlyBelow(a.window()); }, 10s))
        << engine->standardError();
    ASSERT_TRUE(DesktopControl::waitUntil(
        [&] { return diagnosticsLines(engine->standardError()).size() >= 2; }, 8s))
        << engine->standardError();
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_GE(elapsed, 4s) << "the first line comes one 2 s interval after the start";

    // One window held per monitor: the left one shown below the focused application, the right
    // one (no focused window there, so cleared) hidden; no cross-fade runs.
    const std::regex format(R"re(\[DimmingPerf\] cpu=\d+\.\d% gpu=(n/a|\d+\.\d%) )re"
                            R"re(liveBackdropLayers=(\d+) overlays=(\d+) )re"
                            R"re(activeTransitionOverlays=0)re");
    const std::string last = diagnosticsLines(engine->standardError()).back();
    std::smatch match;
    ASSERT_TRUE(std::regex_match(last, match, format)) << last;
    EXPECT_EQ(match[3], "2") << last;
    EXPECT_EQ(match[2], "2") << "live layers = overlays + transition overlays: " << last;
    EXPECT_EQ(overlayWindowCount(), 2);
    EXPECT_EQ(overlaysOn(0), 1);
    EXPECT_EQ(overlaysOn(TestDesktop::kMonitorWidth), 0);
    EXPECT_EQ(engine->terminate(), 0);
}

TEST_F(OverlayEndToEndTest, LostXServerEndsTheEngineWithAFailureStatus) {
    const App a = startApp("alpha", "ff8800", "400x300+100+100");
    control->activate(a.window());
    auto engine = startEngine();
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return overlayDirectlyBelow(a.window()); }, 10s))
        << engine->standardError();
    desktop->killServer();
    const auto status = engine->waitForExit(10s);
    ASSERT_TRUE(status) << "still running without its X server";
    EXPECT_EQ(*status, 1);
    const std::string err = engine->standardError();
    const std::string said = "the connection to the X server was lost";
    EXPECT_NE(err.find(said), std::string::npos) << err;
    EXPECT_EQ(err.find(said), err.rfind(said)) << "said once: " << err;
}

// Without a window manager and compositor of its own: the test runs picom itself.
class OverlayCompositorTest : public OverlayEndToEndTest {
protected:
    testdesktop::TestDesktop::Options desktopOptions() const override {
        testdesktop::TestDesktop::Options options;
        options.bare = true;
        return options;
    }

    pid_t startCompositor() {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("DISPLAY", desktop->display().c_str(), 1);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execlp("picom", "picom", "--backend", "xrender", "--config", "/dev/null",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        return pid;
    }

    static void stopCompositor(pid_t pid) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }

    void TearDown() override {
        if (compositor_ > 0) {
            stopCompositor(compositor_);
        }
        OverlayEndToEndTest::TearDown();
    }

    pid_t compositor_ = -1;
};

TEST_F(OverlayCompositorTest, NoOverlayWithoutCompositorUntilOneRunsAgain) {
    const App a = App{desktop->startClient({"--class", "alpha,alpha", "--color", "ff8800",
                                            "--geometry", "400x300+100+100", "--wm-state"})};
    auto engine = startEngine();
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return overlayWindowCount() >= 1; }, 10s))
        << engine->standardError();
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(overlaysOn(0), 0) << "a translucent window would black out the desktop";
    EXPECT_NE(engine->standardError().find("no compositing manager"), std::string::npos);

    compositor_ = startCompositor();
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return overlaysOn(0) == 1; }, 5s));
    stopCompositor(compositor_);
    compositor_ = -1;
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return overlaysOn(0) == 0; }, 5s));
    compositor_ = startCompositor();
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return overlaysOn(0) == 1; }, 5s));
    EXPECT_TRUE(engine->isRunning());
    EXPECT_EQ(engine->terminate(), 0);
    EXPECT_EQ(overlayWindowCount(), 0);
    // Said once, not on every change.
    const std::string err = engine->standardError();
    EXPECT_EQ(err.find("no compositing manager"), err.rfind("no compositing manager"));
}

} // namespace
} // namespace tavrilux::e2e
