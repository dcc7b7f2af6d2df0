#include "platform/x11/X11SystemTray.h"
#include "TestDesktopFixture.h"
#include "platform/linux/PollMainQueue.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

namespace tavrilux::x11 {
namespace {

// Tray managers of the test's own on a bare desktop: each a window that takes the tray
// selection of screen 0 and says so to the root, as a tray that starts does.
class X11SystemTrayTest : public testdesktop::TestDesktopFixture {
protected:
    testdesktop::TestDesktop::Options desktopOptions() const override { return {true}; }

    void SetUp() override {
        TestDesktopFixture::SetUp();
        selection = control->atom("_NET_SYSTEM_TRAY_S0");
        colors = control->atom("_NET_SYSTEM_TRAY_COLORS");
    }
    void TearDown() override {
        watch.cancel();
        tray.reset();
        TestDesktopFixture::TearDown();
    }
    void connectTray() {
        std::string error;
        tray = X11SystemTray::connect(queue, desktop->display().c_str(), &error);
        ASSERT_TRUE(tray) << error;
        tray->setChangeHandler([this] { ++changes; });
        watch = queue.watchReadable(tray->fileDescriptor(), [this] { tray->processEvents(); });
    }

    // `colours` (red, green, blue) set before it takes over, when given.
    xcb_window_t startManager(std::optional<std::array<std::uint16_t, 3>> colours = {}) {
        const xcb_window_t window = xcb_generate_id(c());
        xcb_create_window(c(), XCB_COPY_FROM_PARENT, window, control->root(), -10, -10, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        if (colours) {
            setColours(window, (*colours)[0], (*colours)[1], (*colours)[2]);
        }
        xcb_set_selection_owner(c(), window, selection, XCB_CURRENT_TIME);
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = control->root();
        message.type = control->atom("MANAGER");
        message.data.data32[0] = XCB_CURRENT_TIME;
        message.data.data32[1] = selection;
        message.data.data32[2] = window;
        xcb_send_event(c(), 0, control->root(), XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(c());
        return window;
    }
    // Foreground, error, warning and success, 16 bits a channel.
    void setColours(xcb_window_t manager, std::uint16_t red, std::uint16_t green,
                    std::uint16_t blue) {
        const std::array<std::uint32_t, 12> value{red,    green,  blue, 0xffff, 0,      0,
                                                  0xffff, 0xffff, 0,    0,      0xffff, 0};
        xcb_change_property(c(), XCB_PROP_MODE_REPLACE, manager, colors, XCB_ATOM_CARDINAL, 32,
                            static_cast<std::uint32_t>(value.size()), value.data());
        xcb_flush(c());
    }
    // Runs what is queued so far, reports of events already read included.
    void runQueued() {
        bool ran = false;
        queue.post([&] { ran = true; });
        ASSERT_TRUE(queue.runUntil([&] { return ran; }, Seconds{5.0}));
    }
    // Serves the tray's events until it names `expected` after at least one more report.
    bool reports(std::optional<Rgba> expected) {
        const int before = changes;
        return queue.runUntil(
            [&] { return changes > before && tray->iconForeground() == expected; }, Seconds{5.0});
    }

    xcb_atom_t selection = XCB_ATOM_NONE;
    xcb_atom_t colors = XCB_ATOM_NONE;
    linux_platform::PollMainQueue queue;
    std::unique_ptr<X11SystemTray> tray;
    Subscription watch;
    int changes = 0;
};

TEST_F(X11SystemTrayTest, FollowsTheColoursATraySetsWhileWeRunAndEveryTrayThatTakesOver) {
    connectTray();
    EXPECT_EQ(tray->manager(), xcb_window_t{XCB_WINDOW_NONE});
    EXPECT_FALSE(tray->iconForeground());

    // A tray starts after us, naming no colour at first.
    const xcb_window_t first = startManager();
    ASSERT_TRUE(queue.runUntil([&] { return tray->manager() == first; }, Seconds{5.0}));
    EXPECT_FALSE(tray->iconForeground());
    setColours(first, 0xffff, 0x8080, 0);
    EXPECT_TRUE(reports(Rgba{1.0, 0x8080 / 65535.0, 0.0}));
    setColours(first, 0, 0, 0xffff);
    EXPECT_TRUE(reports(Rgba{0.0, 0.0, 1.0}));
    xcb_delete_property(c(), first, colors);
    xcb_flush(c());
    EXPECT_TRUE(reports(std::nullopt));

    // Another tray takes over with colours of its own; the first one's no longer count.
    const xcb_window_t third = startManager(std::array<std::uint16_t, 3>{0xffff, 0xffff, 0xffff});
    EXPECT_TRUE(reports(Rgba{1.0, 1.0, 1.0}));
    EXPECT_EQ(tray->manager(), third);
    const int before = changes;
    setColours(first, 0, 0xffff, 0);
    setColours(third, 0, 0, 0);
    EXPECT_TRUE(reports(Rgba{0.0, 0.0, 0.0}));
    EXPECT_EQ(changes, before + 1) << "the first tray's change went unreported";

    // The tray quits.
    xcb_destroy_window(c(), third);
    xcb_flush(c());
    EXPECT_TRUE(reports(std::nullopt));
    EXPECT_EQ(tray->manager(), xcb_window_t{XCB_WINDOW_NONE});
    xcb_destroy_window(c(), first);
}

TEST_F(X11SystemTrayTest, ATrayRunningBeforeUsIsReadAtOnceAndNoReportOutlivesUs) {
    const xcb_window_t manager = startManager(std::array<std::uint16_t, 3>{0xffff, 0, 0});
    std::free(xcb_get_input_focus_reply(c(), xcb_get_input_focus(c()), nullptr));
    connectTray();
    EXPECT_EQ(tray->manager(), manager);
    EXPECT_EQ(tray->iconForeground(), (Rgba{1.0, 0.0, 0.0}));

    // A report read but not yet delivered when the adapter goes is dropped.
    setColours(manager, 0, 0, 0xffff);
    ASSERT_TRUE(queue.runUntil(
        [&] {
            return tray->iconForeground() == Rgba{0.0, 0.0, 1.0};
        },
        Seconds{5.0}));
    watch.cancel();
    tray.reset();
    const int before = changes;
    runQueued();
    EXPECT_EQ(changes, before);
}

} // namespace
} // namespace tavrilux::x11
