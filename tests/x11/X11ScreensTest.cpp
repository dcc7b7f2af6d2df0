#include "X11FocusFixture.h"

#include <xcb/randr.h>

#include <gtest/gtest.h>

#include <unistd.h>

namespace tavrilux::x11 {
namespace {

class X11ScreensTest : public X11FocusFixture {
protected:
    bool xrandr(const std::string& arguments) { return desktop->xrandr(arguments) == 0; }

    // The RandR output behind the primary monitor of the test desktop.
    xcb_randr_output_t screenOutput() {
        xcb_connection_t* c = control->connection();
        std::unique_ptr<xcb_randr_get_screen_resources_current_reply_t, decltype(&std::free)>
            resources(xcb_randr_get_screen_resources_current_reply(
                          c, xcb_randr_get_screen_resources_current(c, control->root()), nullptr),
                      &std::free);
        EXPECT_TRUE(resources);
        if (!resources ||
            xcb_randr_get_screen_resources_current_outputs_length(resources.get()) < 1) {
            return XCB_NONE;
        }
        return xcb_randr_get_screen_resources_current_outputs(resources.get())[0];
    }

    void setOutputProperty(xcb_randr_output_t output, const std::string& name,
                           const std::vector<std::uint8_t>& bytes) {
        xcb_connection_t* c = control->connection();
        xcb_randr_change_output_property(c, output, control->atom(name), XCB_ATOM_INTEGER, 8,
                                         XCB_PROP_MODE_REPLACE,
                                         static_cast<std::uint32_t>(bytes.size()), bytes.data());
        // A round trip, so the change is made before we look.
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }

    // Counts screen-parameter notifications while the loop runs.
    int screenChanges = 0;
    Subscription screensWatch;
    void countScreenChanges() {
        screensWatch = x11->onScreenParametersChanged([this] { ++screenChanges; });
    }
};

TEST_F(X11ScreensTest, MonitorsAddedOrRemovedAloneAreNotified) {
    countScreenChanges();
    ASSERT_EQ(x11->screens().size(), 2u);
    // Across the two (one inside another would be part of that display).
    ASSERT_TRUE(xrandr("--setmonitor tavrilux-extra 640/100x400/100+960+400 none"));
    ASSERT_TRUE(queue.runUntil([&] { return screenChanges > 0; }, Seconds{5.0}));
    const auto screens = x11->screens();
    ASSERT_EQ(screens.size(), 3u);
    EXPECT_EQ(screens[2].displayNumber, displayNumber("tavrilux-extra"));
    // Bottom-left coordinates: the lower half, across the monitors' common edge.
    EXPECT_EQ(screens[2].frame, (Rect{960, 0, 640, 400}));

    screenChanges = 0;
    ASSERT_TRUE(xrandr("--delmonitor tavrilux-extra"));
    ASSERT_TRUE(queue.runUntil([&] { return screenChanges > 0; }, Seconds{5.0}));
    EXPECT_EQ(x11->screens().size(), 2u);
}

TEST_F(X11ScreensTest, APrimaryMonitorAwayFromTheOriginIsTheOriginOfEveryFrame) {
    // Primary: the right monitor, 400 high, 100 below the top; the other one 400 high at the
    // bottom left of the root.
    ASSERT_TRUE(xrandr("--delmonitor tavrilux-right"));
    ASSERT_TRUE(xrandr("--setmonitor '*tavrilux-right' 1280/338x400/105+1280+100 none"));
    ASSERT_TRUE(xrandr("--delmonitor tavrilux-left"));
    ASSERT_TRUE(xrandr("--setmonitor tavrilux-left 1280/338x400/105+0+400 screen"));
    x11 = X11Desktop::connect(
        queue, desktop->display().c_str(), nullptr,
        std::make_shared<linux_platform::DesktopEntryIndex>(std::vector<std::filesystem::path>{}));
    ASSERT_TRUE(x11);
    watch = queue.watchReadable(x11->fileDescriptor(), [this] { x11->processEvents(); });
    const DisplayID left = displayNumber("tavrilux-left");
    const DisplayID right = displayNumber("tavrilux-right");
    const auto screens = x11->screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].displayNumber, right);
    EXPECT_EQ(screens[0].frame, (Rect{0, 0, 1280, 400}));
    EXPECT_EQ(x11->mainDisplayID(), right);
    // Root y 400..800 is 300 below the primary's top: bottom-left y = 400 - 300 - 400.
    EXPECT_EQ(screens[1].frame, (Rect{-1280, -300, 1280, 400}));

    const auto app = startManagedClient({"--geometry", "300x200+100+500"});
    const auto frame = control->frameGeometry(app.windows[0]);
    ASSERT_TRUE(frame.has_value());
    const auto snapshot = x11->captureSnapshot();
    ASSERT_TRUE(snapshot.has_value());
    const auto entries = entriesOf(*snapshot, app.windows);
    ASSERT_EQ(entries.size(), 1u);
    // Window-list bounds start at the primary's top-left corner.
    EXPECT_EQ(
        entries[0].bounds,
        (WindowBounds{static_cast<double>(frame->x - 1280), static_cast<double>(frame->y - 100),
                      static_cast<double>(frame->width), static_cast<double>(frame->height)}));

    ScreenFocusTracker tracker(queue, *x11, *x11, *x11, ::getpid());
    std::optional<FocusScene> scene;
    tracker.start([&](const FocusScene& s) { scene = s; });
    tracker.stop();
    ASSERT_TRUE(scene.has_value());
    ASSERT_TRUE(scene->targets.contains(left));
    EXPECT_FALSE(scene->targets.contains(right));
    EXPECT_EQ(scene->targets.at(left).windowFrame,
              (Rect{static_cast<double>(frame->x - 1280),
                    static_cast<double>(400 - (frame->y - 100) - frame->height),
                    static_cast<double>(frame->width), static_cast<double>(frame->height)}));
    EXPECT_EQ(scene->activeScreenID, left);
}

TEST_F(X11ScreensTest, OnlyAnEdidChangeAmongOutputPropertiesIsAScreenChange) {
    const auto output = screenOutput();
    ASSERT_NE(output, XCB_NONE);
    const auto keyBefore = tavriluxDisplayUUID(x11->screens()[0], *x11);
    countScreenChanges();
    // A backlight level, say: changes often, names no display.
    for (std::uint8_t level = 1; level <= 3; ++level) {
        setOutputProperty(output, "TAVRILUX_TEST_LEVEL", {level});
    }
    queue.runFor(Seconds{0.3});
    EXPECT_EQ(screenChanges, 0);

    std::vector<std::uint8_t> edid(128, 0);
    edid[1] = 0xff;
    edid[8] = 0x42;
    setOutputProperty(output, "EDID", edid);
    ASSERT_TRUE(queue.runUntil([&] { return screenChanges > 0; }, Seconds{5.0}));
    const auto keyAfter = tavriluxDisplayUUID(x11->screens()[0], *x11);
    EXPECT_EQ(keyAfter.size(), 36u);
    EXPECT_NE(keyAfter, keyBefore);
}

} // namespace
} // namespace tavrilux::x11
