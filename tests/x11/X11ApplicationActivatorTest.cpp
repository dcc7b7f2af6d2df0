#include "platform/x11/X11ApplicationActivator.h"
#include "X11FocusFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tavrilux::x11 {
namespace {

class X11ApplicationActivatorTest : public X11FocusFixture {
protected:
    // Position in the window manager's stacking list, bottom to top.
    int levelOf(xcb_window_t window) {
        const auto list = control->stackingList();
        const auto it = std::find(list.begin(), list.end(), window);
        return it == list.end() ? -1 : static_cast<int>(it - list.begin());
    }
};

TEST_F(X11ApplicationActivatorTest, FrontWindowOnlyOrEveryWindowOfTheApplication) {
    const auto app = startManagedClient({"--count", "2", "--geometry", "300x200+100+100"});
    const auto other = startManagedClient({"--geometry", "300x200+150+150"}).windows.at(0);
    ASSERT_EQ(app.windows.size(), 2u);
    // Mapped in order: the application's second window is its front one, the other client's
    // window lies above both.
    const xcb_window_t back = app.windows[0];
    const xcb_window_t front = app.windows[1];
    ASSERT_TRUE(control->waitUntil([&] { return levelOf(other) > levelOf(front); }));
    x11->captureSnapshot();
    const auto application = x11->runningApplication(app.pid);
    ASSERT_TRUE(application.has_value());
    X11ApplicationActivator activator(x11->connection(), x11->root(), *x11);

    activator.activate(*application, false);
    ASSERT_TRUE(control->waitUntil(
        [&] { return control->activeWindow() == front && levelOf(front) > levelOf(other); }));
    EXPECT_LT(levelOf(back), levelOf(other)) << "one window only";

    // Named active first, raised a moment later: both done before the application is asked.
    control->activate(other);
    ASSERT_TRUE(control->waitUntil(
        [&] { return control->activeWindow() == other && levelOf(other) > levelOf(front); }));
    activator.activate(*application, true);
    ASSERT_TRUE(control->waitUntil([&] {
        return levelOf(back) > levelOf(other) && levelOf(front) > levelOf(back) &&
               control->activeWindow() == front;
    }));

    // An application without windows is ignored.
    desktop->stopClient(app);
    ASSERT_TRUE(control->waitUntil([&] { return levelOf(front) < 0 && levelOf(back) < 0; }));
    activator.activate(*application, true);
    EXPECT_TRUE(x11->isConnected());
}

} // namespace
} // namespace tavrilux::x11
