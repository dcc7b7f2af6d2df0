#include "X11FocusFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace tavrilux::x11 {
namespace {

// What the window list reads again when windows change after they were mapped: every change is
// seen at the next snapshot, and only the windows it concerns are read.
class X11WindowChangesTest : public X11FocusFixture {
protected:
    // Every event the server has sent the adapter so far is queued on its connection.
    void settle() {
        xcb_connection_t* c = x11->connection();
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }
    // The window manager has handled all that was asked of it so far, and the adapter has the
    // events of it queued: it answers a request for frame extents in turn with the others.
    void windowManagerCaughtUp() {
        const xcb_window_t asking = makeWindow(control->root(), 0, 0, 10, 10);
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = asking;
        message.type = control->atom("_NET_REQUEST_FRAME_EXTENTS");
        xcb_send_event(c(), 0, control->root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        const xcb_atom_t extents = control->atom("_NET_FRAME_EXTENTS");
        EXPECT_TRUE(control->waitUntil([&] {
            std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
                xcb_get_property_reply(
                    c(), xcb_get_property(c(), 0, asking, extents, XCB_ATOM_ANY, 0, 4), nullptr),
                &std::free);
            return reply && reply->type != XCB_ATOM_NONE;
        }));
        control->destroy(asking);
        settle();
    }
    // Requests the adapter sent while taking a snapshot (`snapshot` receives it).
    std::uint32_t requestsFor(std::optional<WindowSnapshot>& snapshot) {
        xcb_connection_t* c = x11->connection();
        const auto before = xcb_no_operation(c).sequence;
        snapshot = x11->captureSnapshot();
        return xcb_no_operation(c).sequence - before - 1;
    }
    void setProperty(xcb_window_t window, const char* name, xcb_atom_t type, std::uint8_t format,
                     std::uint32_t length, const void* data) {
        xcb_change_property(c(), XCB_PROP_MODE_REPLACE, window, control->atom(name), type, format,
                            length, data);
    }
    xcb_window_t makeWindow(xcb_window_t parent, int x, int y, int width, int height) {
        const xcb_window_t window = xcb_generate_id(c());
        xcb_create_window(c(), XCB_COPY_FROM_PARENT, window, parent, static_cast<std::int16_t>(x),
                          static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width),
                          static_cast<std::uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        return window;
    }
    static const WindowInfo& entryOf(const std::vector<WindowInfo>& entries, xcb_window_t window) {
        return *std::find_if(entries.begin(), entries.end(),
                             [&](const WindowInfo& e) { return e.number == window; });
    }
};

TEST_F(X11WindowChangesTest,
       ClassTypeAndProcessChangedAfterMappingCountAtTheNextSnapshotAndSwitch) {
    const auto renamed =
        startManagedClient({"--class", "early,Early", "--geometry", "300x200+40+40"});
    const auto retyped =
        startManagedClient({"--class", "tool,Tool", "--geometry", "300x200+80+80"});
    const auto docked = startManagedClient({"--class", "bar,Bar", "--geometry", "300x200+120+120"});
    const auto front =
        startManagedClient({"--class", "front,Front", "--geometry", "300x200+600+60"});
    control->activate(front.windows[0]);
    windowManagerCaughtUp();
    x11->captureSnapshot();
    ASSERT_EQ(applicationOf(renamed.pid).bundleIdentifier, "Early");
    ASSERT_EQ(applicationOf(retyped.pid).activationPolicy, ActivationPolicy::regular);

    // A utility window (no application of its own), a dock, and a window handed to another
    // process.
    const xcb_atom_t utility = control->atom("_NET_WM_WINDOW_TYPE_UTILITY");
    setProperty(retyped.windows[0], "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM, 32, 1, &utility);
    const xcb_atom_t dock = control->atom("_NET_WM_WINDOW_TYPE_DOCK");
    setProperty(docked.windows[0], "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM, 32, 1, &dock);
    const auto frontPid = static_cast<std::uint32_t>(front.pid);
    setProperty(docked.windows[0], "_NET_WM_PID", XCB_ATOM_CARDINAL, 32, 1, &frontPid);
    windowManagerCaughtUp();

    const auto entries =
        entriesOf(*x11->captureSnapshot(), {retyped.windows[0], docked.windows[0]});
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entryOf(entries, docked.windows[0]).layer, 20);
    EXPECT_EQ(entryOf(entries, docked.windows[0]).ownerPID, front.pid);
    EXPECT_EQ(entryOf(entries, retyped.windows[0]).layer, 0);
    EXPECT_EQ(applicationOf(retyped.pid).activationPolicy, ActivationPolicy::accessory);
    // Its only window gone to another process, the dock's own process is no application now.
    EXPECT_FALSE(x11->runningApplication(docked.pid).has_value());

    // A new class, then a switch to the window: the switch names it by its new class.
    const std::string lateClass("late\0Late\0", 10);
    setProperty(renamed.windows[0], "WM_CLASS", XCB_ATOM_STRING, 8, 10, lateClass.data());
    std::optional<RunningApplication> activated;
    auto subscription =
        x11->onApplicationActivated([&](const std::optional<RunningApplication>& app) {
            if (app && app->processIdentifier == renamed.pid) {
                activated = app;
            }
        });
    control->activate(renamed.windows[0]);
    ASSERT_TRUE(queue.runUntil([&] { return activated.has_value(); }, Seconds{5.0}));
    EXPECT_EQ(activated->bundleIdentifier, "Late");
}

TEST_F(X11WindowChangesTest, ARaiseReadsNoWindowAndAMoveReadsOnlyTheMovedOne) {
    const auto client = startManagedClient({"--count", "6", "--geometry", "300x200+40+40"});
    const xcb_window_t bottom = client.windows[0];
    // Of another class than the others: its process is named after its front-most window.
    const std::string otherClass("other\0Other\0", 12);
    setProperty(bottom, "WM_CLASS", XCB_ATOM_STRING, 8, 12, otherClass.data());
    windowManagerCaughtUp();
    const auto before = entriesOf(*x11->captureSnapshot(), client.windows);
    ASSERT_EQ(before.size(), 6u);
    ASSERT_EQ(before.back().number, bottom);
    ASSERT_EQ(applicationOf(client.pid).bundleIdentifier, "TavriluxTest");

    // Raised: the window manager's list changes, no window moves.
    control->raise(bottom);
    windowManagerCaughtUp();
    auto reads = x11->windowReads();
    auto entries = entriesOf(*x11->captureSnapshot(), client.windows);
    EXPECT_EQ(x11->windowReads() - reads, 0u);
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries.front().number, bottom);
    for (const auto& entry : entries) {
        EXPECT_EQ(entry.bounds, entryOf(before, *entry.number).bounds);
    }
    EXPECT_EQ(applicationOf(client.pid).bundleIdentifier, "Other");

    // Moved by the window manager: read again, alone.
    const xcb_window_t moved = client.windows[3];
    const auto frame = control->frameGeometry(moved);
    control->moveFrame(moved, frame->x + 7, frame->y - 5);
    windowManagerCaughtUp();
    reads = x11->windowReads();
    entries = entriesOf(*x11->captureSnapshot(), client.windows);
    EXPECT_EQ(x11->windowReads() - reads, 1u);
    ASSERT_EQ(entries.size(), 6u);
    const auto& old = entryOf(before, moved).bounds;
    EXPECT_EQ(entryOf(entries, moved).bounds,
              (WindowBounds{old->x + 7, old->y - 5, old->width, old->height}));
}

// No window manager: the test frames the windows itself, as a reparenting one would, so nothing
// but the test moves them and no notice of a window manager tells a client it moved.
class X11BareFramesTest : public X11WindowChangesTest {
protected:
    testdesktop::TestDesktop::Options desktopOptions() const override { return {true}; }

    // `client` in a frame at (x, y), within a wrapper 10 right and 20 down when `wrapped`.
    xcb_window_t frame(xcb_window_t client, int x, int y, bool wrapped) {
        const xcb_window_t frame = makeWindow(control->root(), x, y, 320, 240);
        const xcb_window_t parent = wrapped ? makeWindow(frame, 10, 20, 300, 200) : frame;
        xcb_reparent_window(c(), client, parent, 0, 0);
        xcb_map_window(c(), parent);
        xcb_map_window(c(), frame);
        return frame;
    }
    void list(const std::vector<xcb_window_t>& windows) {
        setProperty(control->root(), "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW, 32,
                    static_cast<std::uint32_t>(windows.size()), windows.data());
    }
    void configure(xcb_window_t window, std::uint16_t mask, std::vector<std::uint32_t> values) {
        xcb_configure_window(c(), window, mask, values.data());
    }
    // The snapshot's entries of `windows`, front to back, and what reading it cost.
    struct Read {
        std::vector<WindowInfo> entries;
        std::uint32_t requests = 0;
        std::uint64_t roundTrips = 0;
    };
    Read read(const std::vector<xcb_window_t>& windows) {
        control->activeWindow(); // the server has done what the test asked
        settle();
        Read r;
        const auto roundTrips = x11->roundTrips();
        std::optional<WindowSnapshot> snapshot;
        r.requests = requestsFor(snapshot);
        r.roundTrips = x11->roundTrips() - roundTrips;
        r.entries = entriesOf(*snapshot, windows);
        return r;
    }
};

TEST_F(X11BareFramesTest, FramesWithinFramesFollowMovesAndMapsAndARestackReadsNothing) {
    const xcb_window_t nested = desktop->startClient({"--geometry", "300x200+10+10"}).windows[0];
    const xcb_window_t plain =
        desktop->startClient({"--wm-state", "--geometry", "200x100+700+50"}).windows[0];
    const xcb_window_t outer = frame(nested, 100, 100, true);
    list({plain, nested});
    control->activeWindow();
    // An adapter that finds the frame in place: what it knows of it comes from its start.
    watch.cancel();
    x11 = X11Desktop::connect(queue, desktop->display().c_str());
    ASSERT_TRUE(x11);
    const std::vector<xcb_window_t> windows{plain, nested};
    // Once the clients' own requests (their maps) are done too.
    ASSERT_TRUE(control->waitUntil([&] { return read(windows).entries.size() == 2; }));

    // Lowered: the order changes, nothing is read.
    configure(outer, XCB_CONFIG_WINDOW_STACK_MODE, {XCB_STACK_MODE_BELOW});
    auto r = read(windows);
    EXPECT_EQ(r.requests, 0u);
    EXPECT_EQ(r.roundTrips, 0u);
    ASSERT_EQ(r.entries.size(), 2u);
    EXPECT_EQ(r.entries[0].number, plain);
    EXPECT_EQ(r.entries[1].bounds, (WindowBounds{110, 120, 300, 200}));

    // Moved: the window in it is read again (three requests), and only that one.
    configure(outer, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, {400, 300});
    r = read(windows);
    EXPECT_EQ(r.requests, 3u);
    EXPECT_EQ(r.roundTrips, 1u);
    ASSERT_EQ(r.entries.size(), 2u);
    EXPECT_EQ(r.entries[1].bounds, (WindowBounds{410, 320, 300, 200}));
    EXPECT_EQ(r.entries[0].bounds, (WindowBounds{700, 50, 200, 100}));

    // Resized within its unchanged frame.
    configure(nested, XCB_CONFIG_WINDOW_WIDTH, {250});
    r = read(windows);
    EXPECT_EQ(r.requests, 3u);
    ASSERT_EQ(r.entries.size(), 2u);
    EXPECT_EQ(r.entries[1].bounds, (WindowBounds{410, 320, 250, 200}));

    // Hidden and shown again with its frame.
    xcb_unmap_window(c(), outer);
    r = read(windows);
    EXPECT_EQ(r.requests, 3u);
    ASSERT_EQ(r.entries.size(), 1u);
    EXPECT_EQ(r.entries[0].number, plain);
    xcb_map_window(c(), outer);
    EXPECT_EQ(read(windows).entries.size(), 2u);

    // A frame made while the adapter runs is known from its creation: lowering it reads nothing.
    const xcb_window_t later = desktop->startClient({"--geometry", "300x200+10+10"}).windows[0];
    const xcb_window_t laterFrame = frame(later, 900, 400, false);
    list({plain, nested, later});
    const std::vector<xcb_window_t> all{plain, nested, later};
    ASSERT_TRUE(control->waitUntil([&] { return read(all).entries.size() == 3; }));
    configure(laterFrame, XCB_CONFIG_WINDOW_STACK_MODE, {XCB_STACK_MODE_BELOW});
    r = read(all);
    EXPECT_EQ(r.requests, 0u);
    ASSERT_EQ(r.entries.size(), 3u);
    EXPECT_EQ(r.entries[2].number, later);
    EXPECT_EQ(r.entries[2].bounds, (WindowBounds{900, 400, 300, 200}));

    // Without the list the root's children with WM_STATE are listed, and follow their moves.
    control->deleteRootProperty("_NET_CLIENT_LIST_STACKING");
    configure(plain, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, {650, 60});
    r = read(all);
    ASSERT_EQ(r.entries.size(), 1u);
    EXPECT_EQ(r.entries[0].bounds, (WindowBounds{650, 60, 200, 100}));
}

} // namespace
} // namespace tavrilux::x11
