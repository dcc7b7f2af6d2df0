#pragma once

#include "core/platform/Applications.h"
#include "core/platform/Screens.h"
#include "core/platform/WindowServer.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/VirtualMainQueue.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tavrilux::fakes {

// A simulated desktop: windows (front to back) with number, owner, layer and top-left bounds;
// processes with application key and activation policy; screens with frames, numbers and UUIDs;
// workspace notifications on demand and a virtual clock. Implements the three window-list ports.
class FakeDesktop final : public WindowServer, public Screens, public Applications {
public:
    // Owner of the overview entry while showOverview(true).
    static constexpr ProcessID kOverviewPID = 90000;

    VirtualMainQueue queue;
    FakeWorkspace workspace;

    FakeDesktop();

    // WindowServer
    std::optional<WindowSnapshot> captureSnapshot() override;
    // Screens
    std::vector<Screen> screens() const override { return screens_; }
    DisplayID mainDisplayID() const override { return mainDisplayID_; }
    std::optional<std::string> displayUUID(DisplayID display) const override;
    // Applications
    std::optional<RunningApplication> runningApplication(ProcessID pid) const override;

    // Screens, in the order given (the first is the primary display).
    void addScreen(std::optional<DisplayID> number, Rect frame,
                   std::optional<std::string> uuid = std::nullopt);
    void clearScreens() { screens_.clear(); }
    void setMainDisplayID(DisplayID id) { mainDisplayID_ = id; }

    void addProcess(ProcessID pid, std::optional<std::string> key,
                    ActivationPolicy policy = ActivationPolicy::regular);

    // Adds a window behind every other one (bounds have a top-left origin, y downward).
    void addWindow(WindowNumber number, ProcessID owner, WindowBounds bounds, int layer = 0);
    // Adds an entry as it stands, malformed or not, behind every other one.
    void addEntry(WindowInfo entry) { windows_.push_back(entry); }
    void raise(WindowNumber number);
    void moveWindow(WindowNumber number, WindowBounds bounds);
    void removeWindow(WindowNumber number);
    void showOverview(bool shown) { overviewShown_ = shown; }
    // The window the snapshot names as active (none: the desktop names none). activate() leaves
    // it as it is.
    void setActiveWindow(std::optional<WindowNumber> window) { activeWindow_ = window; }
    // While unreadable, captureSnapshot() yields none.
    void setWindowListReadable(bool readable) { readable_ = readable; }

    // Makes `pid`'s windows front-most (in their order) and posts the activation notification.
    void activate(ProcessID pid);

    int lookupCount(ProcessID pid) const;
    int snapshotCount() const { return snapshots_; }

private:
    std::vector<WindowInfo> windows_;
    std::vector<Screen> screens_;
    std::map<DisplayID, std::string> uuids_;
    std::map<ProcessID, RunningApplication> processes_;
    mutable std::map<ProcessID, int> lookups_;
    DisplayID mainDisplayID_ = 1;
    std::optional<WindowNumber> activeWindow_;
    bool overviewShown_ = false;
    bool readable_ = true;
    int snapshots_ = 0;
};

} // namespace tavrilux::fakes
