#include "X11FocusFixture.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace tavrilux::x11 {
namespace {

using X11FaultsTest = X11FocusFixture;

TEST_F(X11FaultsTest, WindowsDestroyedDuringRefreshesAreSkipped) {
    for (int round = 0; round < 3; ++round) {
        const auto client = startManagedClient({"--count", "12", "--geometry", "200x200+40+40"});
        x11->captureSnapshot();
        // Each window goes while the next refresh may already have listed it.
        for (auto window : client.windows) {
            x11->invalidateCache();
            control->destroy(window);
            const auto snapshot = x11->captureSnapshot();
            ASSERT_TRUE(snapshot.has_value());
            for (const auto& info : snapshot->windowInfo) {
                EXPECT_TRUE(info.number.has_value());
            }
        }
        ASSERT_TRUE(control->waitUntil([&] {
            const auto snapshot = x11->captureSnapshot();
            return snapshot && entriesOf(*snapshot, client.windows).empty();
        }));
        desktop->stopClient(client);
    }
    EXPECT_TRUE(x11->isConnected());
}

TEST_F(X11FaultsTest, WindowsWithoutAUsablePidBelongToTheProcessBehindTheirConnection) {
    const auto absent = startManagedClient({"--no-pid", "--geometry", "300x300+20+20"});
    const auto mistyped = startManagedClient({"--bad-pid", "--geometry", "300x300+30+30"});
    // A window left behind by a connection that has gone: no process is known for it.
    const auto left = startManagedClient({"--no-pid", "--class", "orphan,Orphan", "--orphan"});
    const xcb_window_t orphan = left.windows[0];
    desktop->stopClient(left); // reaps it once it has exited

    std::vector<WindowInfo> entries;
    ASSERT_TRUE(control->waitUntil([&] {
        x11->invalidateCache(); // until the server has seen the connection close
        entries =
            entriesOf(*x11->captureSnapshot(), {absent.windows[0], mistyped.windows[0], orphan});
        return entries.size() == 3 && entries[0].ownerPID < 0;
    }));
    EXPECT_EQ(entries[2].ownerPID, absent.pid);
    EXPECT_EQ(entries[1].ownerPID, mistyped.pid);
    // Its own application, under a number no process has.
    ASSERT_TRUE(entries[0].ownerPID.has_value());
    EXPECT_LT(*entries[0].ownerPID, 0);
    const auto app = x11->runningApplication(*entries[0].ownerPID);
    ASSERT_TRUE(app.has_value());
    EXPECT_EQ(app->activationPolicy, ActivationPolicy::regular);
    EXPECT_EQ(app->bundleIdentifier, "Orphan");
}

// Regular applications own a normal window in the task bar; their keys come from GTK ids, then
// desktop entries, then WM_CLASS.
TEST_F(X11FaultsTest, RegularApplicationsAndTheirKeys) {
    const fakes::TempDir folder;
    const std::filesystem::path data = folder.path();
    fakes::writeFile(
        data / "applications" / "org.example.Editor.desktop",
        "[Desktop Entry]\nType=Application\nName=Example Editor\nStartupWMClass=Editor\n");
    x11 = X11Desktop::connect(queue, desktop->display().c_str(), nullptr,
                              std::make_shared<linux_platform::DesktopEntryIndex>(
                                  std::vector<std::filesystem::path>{data}));
    const auto dock =
        startManagedClient({"--type", "DOCK", "--class", "dock,Dock", "--geometry", "1280x30+0+0"});
    const auto skipper = startManagedClient({"--skip-taskbar", "--geometry", "300x300+100+100"});
    const auto editor = startManagedClient({"--class", "editor,Editor"});
    const auto plain = startManagedClient({"--class", "plain,Plain"});
    const auto both = startManagedClient({"--class", "editor,Editor", "--gtk-id", "org.gtk.Both"});
    const auto entries =
        entriesOf(*x11->captureSnapshot(), {dock.windows[0], skipper.windows[0], both.windows[0]});
    EXPECT_EQ(entries.size(), 3u);
    for (const auto& info : entries) {
        EXPECT_EQ(info.layer, info.number == dock.windows[0] ? 20 : 0);
    }
    EXPECT_EQ(applicationOf(dock.pid).activationPolicy, ActivationPolicy::accessory);
    EXPECT_EQ(applicationOf(skipper.pid).activationPolicy, ActivationPolicy::accessory);
    EXPECT_EQ(applicationOf(both.pid).activationPolicy, ActivationPolicy::regular);
    EXPECT_FALSE(x11->runningApplication(999999).has_value());
    EXPECT_EQ(applicationOf(editor.pid).bundleIdentifier, "org.example.Editor");
    EXPECT_EQ(applicationOf(editor.pid).localizedName, "Example Editor");
    EXPECT_EQ(applicationOf(plain.pid).bundleIdentifier, "Plain");
    EXPECT_EQ(applicationOf(both.pid).bundleIdentifier, "org.gtk.Both");
}

class X11BareServerTest : public X11FocusFixture {
protected:
    testdesktop::TestDesktop::Options desktopOptions() const override { return {true}; }
};

// No window manager or compositor here: nothing but the test moves, so the count is exact.
TEST_F(X11BareServerTest, IgnoredOwnWindowsCostNoRoundTrips) {
    const auto client = desktop->startClient({"--wm-state", "--geometry", "300x300+10+10"});
    ASSERT_TRUE(control->waitUntil([&] { return control->isViewable(client.windows[0]); }));
    xcb_change_property(control->connection(), XCB_PROP_MODE_REPLACE, control->root(),
                        control->atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW, 32, 1,
                        client.windows.data());
    control->activeWindow(); // a round trip: the list is set
    xcb_connection_t* c = x11->connection();
    // Everything asked of the server so far is done, and its events have been read.
    const auto settle = [c] {
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    };
    const xcb_window_t overlay = xcb_generate_id(c);
    const std::uint32_t values[] = {1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, overlay, x11->root(), 0, 0, 100, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT,
                      values);
    x11->ignoreStructureEvents(overlay);
    xcb_map_window(c, overlay);
    settle();
    ASSERT_EQ(entriesOf(*x11->captureSnapshot(), client.windows).size(), 1u);

    for (int i = 1; i <= 5; ++i) {
        const std::uint32_t position[] = {static_cast<std::uint32_t>(i * 10), 0};
        xcb_configure_window(c, overlay, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, position);
    }
    const std::uint32_t below[] = {XCB_STACK_MODE_BELOW};
    xcb_configure_window(c, overlay, XCB_CONFIG_WINDOW_STACK_MODE, below);
    xcb_unmap_window(c, overlay);
    settle();
    const auto before = x11->roundTrips();
    x11->captureSnapshot();
    EXPECT_EQ(x11->roundTrips(), before);
}

// Windows lie in their frames' order among the root's children. Without the window manager's
// list (none yet, or its manager gone) the root's children that carry WM_STATE are listed.
TEST_F(X11BareServerTest, FramesOrderTheListAndWithoutItTheRootsChildrenWithWmStateAreListed) {
    const auto first = desktop->startClient({"--wm-state", "--geometry", "300x300+10+10"});
    const auto unmanaged = desktop->startClient({"--geometry", "300x300+20+20"});
    const auto second = desktop->startClient({"--wm-state", "--geometry", "300x300+1400+30"});
    const auto listed = [&](std::size_t count) {
        return control->waitUntil([&] {
            const auto snapshot = x11->captureSnapshot();
            return snapshot && snapshot->windowInfo.size() == count;
        });
    };
    // Mapped in order, so the last one is on top.
    ASSERT_TRUE(listed(2));
    EXPECT_FALSE(x11->usesStackingList());
    const auto snapshot = x11->captureSnapshot();
    EXPECT_EQ(snapshot->windowInfo[0].number, second.windows[0]);
    EXPECT_EQ(snapshot->windowInfo[1].number, first.windows[0]);
    EXPECT_EQ(snapshot->windowInfo[1].bounds, (WindowBounds{10, 10, 300, 300}));
    EXPECT_EQ(snapshot->windowInfo[1].ownerPID, first.pid);
    // Its windows are no managed ones: the process is no application.
    EXPECT_EQ(applicationOf(first.pid).activationPolicy, ActivationPolicy::regular);
    EXPECT_FALSE(x11->runningApplication(unmanaged.pid).has_value());

    // A window manager's list naming all three and a window nested deeper than any window
    // manager nests frames: its frame is unknown, so it lies behind every window whose frame is
    // known, the root's bottom-most child (the first window) included.
    xcb_connection_t* c = control->connection();
    xcb_window_t nested = second.windows[0];
    for (int depth = 0; depth < 10; ++depth) {
        const xcb_window_t parent = nested;
        nested = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, nested, parent, 10, 10, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_map_window(c, nested);
    }
    const xcb_window_t all[] = {first.windows[0], nested, unmanaged.windows[0], second.windows[0]};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, control->root(),
                        control->atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW, 32, 4, all);
    xcb_flush(c);
    ASSERT_TRUE(listed(4));
    EXPECT_TRUE(x11->usesStackingList());
    const auto order = x11->captureSnapshot()->windowInfo;
    EXPECT_EQ(order[2].number, first.windows[0]);
    EXPECT_EQ(order[3].number, nested);
    // The window manager gone.
    control->deleteRootProperty("_NET_CLIENT_LIST_STACKING");
    EXPECT_TRUE(listed(2));
}

TEST_F(X11BareServerTest, EveryErrorOfAListedWindowThatIsGoneIsTakenOnce) {
    const auto client = desktop->startClient({"--wm-state", "--geometry", "300x200+40+50"});
    // A window that existed: the list names it after it is gone.
    xcb_connection_t* c = control->connection();
    const xcb_window_t gone = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, gone, control->root(), 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_destroy_window(c, gone);
    const xcb_window_t listed[] = {client.windows[0], gone};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, control->root(),
                        control->atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW, 32, 2, listed);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

    x11->invalidateCache();
    const auto before = x11->errorCount();
    const auto snapshot = x11->captureSnapshot();
    ASSERT_TRUE(snapshot.has_value());
    ASSERT_EQ(snapshot->windowInfo.size(), 1u);
    EXPECT_EQ(snapshot->windowInfo[0].number, client.windows[0]);
    // Each of its replies failed (three geometry reads, seven properties): every error is
    // taken and released, none left behind.
    EXPECT_GE(x11->errorCount() - before, 10u);
    // Then it is forgotten: no request for it again.
    const auto after = x11->errorCount();
    x11->captureSnapshot();
    EXPECT_EQ(x11->errorCount(), after);
}

TEST_F(X11BareServerTest, AWindowsBorderIsPartOfItsBounds) {
    // Window managers without frames draw their border as the window's own.
    const auto client = desktop->startClient({"--wm-state", "--geometry", "300x200+40+50"});
    xcb_connection_t* c = control->connection();
    const std::uint32_t border[] = {3};
    xcb_configure_window(c, client.windows[0], XCB_CONFIG_WINDOW_BORDER_WIDTH, border);
    xcb_flush(c);
    ASSERT_TRUE(control->waitUntil([&] {
        const auto snapshot = x11->captureSnapshot();
        return snapshot && snapshot->windowInfo.size() == 1 &&
               snapshot->windowInfo[0].bounds == (WindowBounds{40, 50, 306, 206});
    }));
}

TEST_F(X11FaultsTest, MalformedPropertiesDegradeToTheirDefaults) {
    const auto app = startManagedClient({"--class", "app,App", "--geometry", "300x300+10+10"});
    const xcb_window_t window = app.windows[0];
    xcb_connection_t* c = control->connection();
    const auto set = [&](const char* name, xcb_atom_t type, std::uint8_t format,
                         std::uint32_t length, const void* data) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, control->atom(name), type, format,
                            length, data);
    };
    x11->captureSnapshot();
    // A type list of the wrong type, frame extents short of four, a WM_CLASS without its
    // separator, a desktop number that is text.
    const std::uint32_t dock = control->atom("_NET_WM_WINDOW_TYPE_DOCK");
    set("_NET_WM_WINDOW_TYPE", XCB_ATOM_CARDINAL, 32, 1, &dock);
    const std::uint32_t extents[] = {5000, 5000};
    set("_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL, 32, 2, extents);
    set("WM_CLASS", XCB_ATOM_STRING, 8, 5, "plain");
    set("_NET_WM_DESKTOP", XCB_ATOM_STRING, 8, 3, "two");
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

    std::optional<WindowInfo> entry;
    ASSERT_TRUE(control->waitUntil([&] {
        const auto snapshot = x11->captureSnapshot();
        const auto entries = snapshot ? entriesOf(*snapshot, {window}) : std::vector<WindowInfo>{};
        const auto known = x11->runningApplication(app.pid);
        if (entries.size() == 1 && known && known->bundleIdentifier == std::nullopt) {
            entry = entries[0];
            return true;
        }
        return false;
    }));
    // Still an ordinary window of a regular application, its bounds the client's own.
    EXPECT_EQ(entry->layer, 0);
    EXPECT_EQ(entry->ownerPID, app.pid);
    EXPECT_EQ(applicationOf(app.pid).activationPolicy, ActivationPolicy::regular);
    EXPECT_EQ(applicationOf(app.pid).localizedName, "plain");
    ASSERT_TRUE(entry->bounds.has_value());
    EXPECT_EQ(entry->bounds->width, 300);
    EXPECT_EQ(entry->bounds->height, 300);
    EXPECT_TRUE(x11->isConnected());
}

} // namespace
} // namespace tavrilux::x11
