#pragma once

#include "TestDesktopFixture.h"
#include "core/focus/ScreenFocusTracker.h"
#include "core/focus/SystemEventObserver.h"
#include "platform/linux/PollMainQueue.h"
#include "platform/x11/X11Desktop.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace tavrilux::x11 {

// A test desktop plus our X11 adapter on it, its events served by a real-time main loop.
class X11FocusFixture : public testdesktop::TestDesktopFixture {
protected:
    void SetUp() override {
        TestDesktopFixture::SetUp();
        std::string error;
        // No desktop entries: application keys come from WM_CLASS.
        x11 = X11Desktop::connect(queue, desktop->display().c_str(), &error,
                                  std::make_shared<linux_platform::DesktopEntryIndex>(
                                      std::vector<std::filesystem::path>{}));
        ASSERT_TRUE(x11) << error;
        watch = queue.watchReadable(x11->fileDescriptor(), [this] { x11->processEvents(); });
    }
    void TearDown() override {
        watch.cancel();
        x11.reset();
        TestDesktopFixture::TearDown();
    }

    // The entries of `windows` in a snapshot (the desktop's own panel is listed too), in order.
    static std::vector<WindowInfo> entriesOf(const WindowSnapshot& snapshot,
                                             const std::vector<xcb_window_t>& windows) {
        std::vector<WindowInfo> result;
        for (const auto& info : snapshot.windowInfo) {
            if (info.number &&
                std::find(windows.begin(), windows.end(),
                          static_cast<xcb_window_t>(*info.number)) != windows.end()) {
                result.push_back(info);
            }
        }
        return result;
    }

    DisplayID displayNumber(const std::string& monitor) { return control->atom(monitor); }

    // The application of `pid` as the adapter knows it now; a failure (and an empty one) when it
    // knows none.
    RunningApplication applicationOf(ProcessID pid) {
        const auto app = x11->runningApplication(pid);
        EXPECT_TRUE(app.has_value()) << "no application of process " << pid;
        return app.value_or(RunningApplication{});
    }

    // The scene frame expected for a client window: its frame, flipped around the primary
    // (left, 800 high) monitor.
    Rect expectedFrame(xcb_window_t window) {
        auto g = control->frameGeometry(window);
        EXPECT_TRUE(g.has_value());
        if (!g) {
            return {};
        }
        return Rect{
            static_cast<double>(g->x),
            static_cast<double>(testdesktop::TestDesktop::kMonitorHeight - g->y - g->height),
            static_cast<double>(g->width), static_cast<double>(g->height)};
    }

    linux_platform::PollMainQueue queue;
    std::unique_ptr<X11Desktop> x11;
    Subscription watch;
};

} // namespace tavrilux::x11
