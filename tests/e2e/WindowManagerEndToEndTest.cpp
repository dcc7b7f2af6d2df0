// The engine on window managers other than the reference desktop's, and on its restacks.
#include "EngineProcess.h"
#include "TestDesktopFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace tavrilux::e2e {
namespace {

using testdesktop::DesktopControl;
using testdesktop::TestDesktop;
using namespace std::chrono_literals;

constexpr int kRight = TestDesktop::kMonitorWidth;

class WindowManagerTest : public testdesktop::TestDesktopFixture {
protected:
    explicit WindowManagerTest(std::string windowManager = "openbox")
        : windowManager_(std::move(windowManager)) {}

    TestDesktop::Options desktopOptions() const override { return {false, windowManager_}; }
    void TearDown() override {
        engine.reset();
        TestDesktopFixture::TearDown();
    }

    xcb_connection_t* c() const { return control->connection(); }

    xcb_window_t startApp(const std::string& name, const std::string& color,
                          std::vector<std::string> more = {}) {
        more.insert(more.end(), {"--class", name + "," + name, "--color", color});
        return startManagedClient(more).windows.at(0);
    }

    bool startEngineUntil(const std::function<bool()>& ready) {
        engine = std::make_unique<EngineProcess>(desktop->display(), EngineLook{});
        const bool ok = DesktopControl::waitUntil(ready, 10s);
        if (!ok) {
            ADD_FAILURE() << engine->standardError();
        }
        return ok;
    }

    std::string wmClass(xcb_window_t w) {
        auto* r = xcb_get_property_reply(
            c(), xcb_get_property(c(), 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64), nullptr);
        std::string value;
        if (r != nullptr) {
            value.assign(static_cast<const char*>(xcb_get_property_value(r)),
                         static_cast<std::size_t>(xcb_get_property_value_length(r)));
            std::free(r);
        }
        return value;
    }

    // The root's children that are mapped overlays: our own windows, or the frames that a window
    // manager put around them.
    std::vector<xcb_window_t> shownOverlays() {
        std::vector<xcb_window_t> overlays;
        for (xcb_window_t w : control->rootChildren()) {
            if (!control->isViewable(w)) {
                continue;
            }
            auto* tree = xcb_query_tree_reply(c(), xcb_query_tree(c(), w), nullptr);
            std::vector<xcb_window_t> family{w};
            for (int i = 0; tree != nullptr && i < xcb_query_tree_children_length(tree); ++i) {
                const xcb_window_t child = xcb_query_tree_children(tree)[i];
                family.push_back(child);
                auto* inner = xcb_query_tree_reply(c(), xcb_query_tree(c(), child), nullptr);
                for (int j = 0; inner != nullptr && j < xcb_query_tree_children_length(inner);
                     ++j) {
                    family.push_back(xcb_query_tree_children(inner)[j]);
                }
                std::free(inner);
            }
            std::free(tree);
            for (xcb_window_t member : family) {
                if (wmClass(member).starts_with(std::string("tavrilux-overlay") + '\0')) {
                    overlays.push_back(w);
                    break;
                }
            }
        }
        return overlays;
    }

    int overlaysOn(int monitorX) {
        int count = 0;
        for (xcb_window_t w : shownOverlays()) {
            count += control->frameGeometry(w).value_or(DesktopControl::Geometry{-1}).x == monitorX;
        }
        return count;
    }

    // A shown overlay lies below the frame of `client` with nothing shown in between.
    bool overlayDirectlyBelow(xcb_window_t client) {
        const auto overlays = shownOverlays();
        const auto frame = control->topLevelOf(client);
        const auto list = control->rootChildren();
        for (std::size_t i = list.size(); i-- > 0 && list[i] != frame;) {
        }
        bool seenFrame = false;
        for (std::size_t i = list.size(); i-- > 0;) {
            if (list[i] == frame) {
                seenFrame = true;
            } else if (seenFrame &&
                       std::find(overlays.begin(), overlays.end(), list[i]) != overlays.end()) {
                return true;
            } else if (seenFrame && control->isViewable(list[i]) && isDrawn(list[i])) {
                return false;
            }
        }
        return false;
    }

    bool isDrawn(xcb_window_t w) {
        auto* a = xcb_get_window_attributes_reply(c(), xcb_get_window_attributes(c(), w), nullptr);
        const bool drawn = a != nullptr && a->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT;
        std::free(a);
        return drawn;
    }

    // Red, green and blue at the centre of a client window, as the screen shows them.
    std::array<int, 3> centrePixel(xcb_window_t client) {
        auto* at = xcb_translate_coordinates_reply(
            c(), xcb_translate_coordinates(c(), client, control->root(), 0, 0), nullptr);
        auto* g = xcb_get_geometry_reply(c(), xcb_get_geometry(c(), client), nullptr);
        std::array<int, 3> rgb{};
        if (at != nullptr && g != nullptr) {
            auto* image = xcb_get_image_reply(
                c(),
                xcb_get_image(c(), XCB_IMAGE_FORMAT_Z_PIXMAP, control->root(),
                              static_cast<std::int16_t>(at->dst_x + g->width / 2),
                              static_cast<std::int16_t>(at->dst_y + g->height / 2), 1, 1,
                              0xffffffff),
                nullptr);
            if (image != nullptr && xcb_get_image_data_length(image) >= 4) {
                const std::uint8_t* bgr = xcb_get_image_data(image);
                rgb = {bgr[2], bgr[1], bgr[0]};
            }
            std::free(image);
        }
        std::free(at);
        std::free(g);
        return rgb;
    }
    // The window shows its own colour (0xRRGGBB), or that colour halved by the overlay.
    bool shows(xcb_window_t client, std::uint32_t color, bool dimmed) {
        const auto rgb = centrePixel(client);
        for (int i = 0; i < 3; ++i) {
            const int own = static_cast<int>((color >> (16 - 8 * i)) & 0xff);
            if (std::abs(rgb[static_cast<std::size_t>(i)] - (dimmed ? own / 2 : own)) > 2) {
                return false;
            }
        }
        return true;
    }

    std::unique_ptr<EngineProcess> engine;

private:
    std::string windowManager_;
};

using OpenboxTest = WindowManagerTest;

TEST_F(OpenboxTest, RestacksWithoutAFocusChangePutTheOverlayBackBelowTheFocusedWindow) {
    const auto other = startApp("other", "33cc66", {"--geometry", "400x300+700+300"});
    const auto a = startApp("alpha", "ff8800", {"--geometry", "400x300+100+100"});
    control->activate(a);
    ASSERT_TRUE(startEngineUntil([&] { return overlayDirectlyBelow(a); }));

    // Keep-below and back: the window manager puts it back above the overlay.
    control->setState(other, "BELOW", true);
    control->setState(other, "BELOW", false);
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return overlayDirectlyBelow(a); }, 3s));
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return shows(other, 0x33cc66, true); }, 3s));
    // Raised above the focused window without the focus: above the overlay, so bright.
    control->setState(other, "ABOVE", true);
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return overlayDirectlyBelow(a); }, 3s));
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return shows(other, 0x33cc66, false); }, 3s));
    EXPECT_EQ(control->activeWindow(), a);
    EXPECT_EQ(overlaysOn(0), 1);
}

TEST_F(OpenboxTest, AWindowWithoutAPidIsDimmedAroundLikeAnyOther) {
    const auto under = startApp("under", "3366cc", {"--geometry", "400x300+700+300"});
    const auto logo = startApp("logo", "ff8800", {"--geometry", "400x300+100+100", "--no-pid"});
    control->activate(logo);
    ASSERT_TRUE(startEngineUntil([&] { return overlayDirectlyBelow(logo); }));
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return shows(under, 0x3366cc, true); }, 3s));
    EXPECT_TRUE(shows(logo, 0xff8800, false));
}

class FluxboxTest : public WindowManagerTest {
protected:
    FluxboxTest() : WindowManagerTest("fluxbox") {}
};

// fluxbox keeps its stacking list in the order windows came; the real order is the frames'.
TEST_F(FluxboxTest, TheOverlayFollowsTheRaisedWindowNotTheListsOrder) {
    const auto a = startApp("alpha", "ff8800", {"--geometry", "400x300+100+100"});
    const auto b = startApp("beta", "3366cc", {"--geometry", "400x300+700+300"});
    control->activate(a);
    ASSERT_TRUE(startEngineUntil([&] { return overlayDirectlyBelow(a); }));
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return shows(b, 0x3366cc, true); }, 3s));
    control->activate(b);
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return overlayDirectlyBelow(b); }, 3s));
}

class I3Test : public WindowManagerTest {
protected:
    I3Test() : WindowManagerTest("i3") {}
    int i3msg(const std::string& command) {
        return std::system(
            ("DISPLAY=" + desktop->display() + " i3-msg -q '" + command + "'").c_str());
    }
};

// One workspace a monitor: the other monitor's windows carry another desktop number.
TEST_F(I3Test, TheOtherMonitorsWorkspaceGetsItsOverlayToo) {
    const auto left = startApp("left", "ff8800");
    ASSERT_EQ(i3msg("focus output right"), 0);
    const auto right = startApp("right", "33cc66");
    control->activate(left);
    ASSERT_TRUE(startEngineUntil([&] { return overlayDirectlyBelow(left); }));
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return overlayDirectlyBelow(right); }, 3s));
    EXPECT_EQ(overlaysOn(0), 1);
    EXPECT_EQ(overlaysOn(kRight), 1);
}

class KWinTest : public WindowManagerTest {
protected:
    KWinTest() : WindowManagerTest("kwin") {}
    void SetUp() override {
        if (std::system("command -v kwin_x11 >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "kwin_x11 is not installed (Debian package kwin-x11)";
        }
        WindowManagerTest::SetUp();
    }
    void blockCompositing(xcb_window_t w, bool block) {
        const xcb_atom_t property = control->atom("_KDE_NET_WM_BLOCK_COMPOSITING");
        const std::uint32_t on = 1;
        if (block) {
            xcb_change_property(c(), XCB_PROP_MODE_REPLACE, w, property, XCB_ATOM_CARDINAL, 32, 1,
                                &on);
        } else {
            xcb_delete_property(c(), w, property);
        }
        xcb_flush(c());
    }
};

// KWin draws override-redirect windows above every managed one, and keeps the compositor
// selection while compositing is suspended.
TEST_F(KWinTest, TheFocusedWindowStaysBrightAndOverlaysHideWhileCompositingIsBlocked) {
    const auto b = startApp("beta", "3366cc", {"--geometry", "400x300+700+300"});
    const auto a = startApp("alpha", "ff8800", {"--geometry", "400x300+100+100"});
    control->activate(a);
    ASSERT_TRUE(startEngineUntil([&] { return overlayDirectlyBelow(a); }));
    EXPECT_TRUE(DesktopControl::waitUntil(
        [&] { return shows(a, 0xff8800, false) && shows(b, 0x3366cc, true); }, 5s));

    blockCompositing(b, true);
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return shownOverlays().empty(); }, 3s));
    // (Under Xvfb, KWin shows nothing once it composites again, so the screen is not read.)
    blockCompositing(b, false);
    EXPECT_TRUE(DesktopControl::waitUntil([&] { return overlayDirectlyBelow(a); }, 5s));
    EXPECT_EQ(engine->terminate(), 0);
    EXPECT_TRUE(shownOverlays().empty());
}

} // namespace
} // namespace tavrilux::e2e
