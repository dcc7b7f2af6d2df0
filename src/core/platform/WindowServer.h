#pragma once

#include "core/focus/WindowSnapshot.h"

#include <optional>

namespace tavrilux {

// The window server's list of on-screen windows.
//
// Contract:
// - captureSnapshot() returns the windows that are on screen now, front to back: mapped, on the
//   current workspace, not hidden, desktop windows left out. Each entry carries what the server
//   reported (number, owner process, layer, bounds with a top-left origin at the primary
//   display's top-left corner); whatever could not be read is absent, and such entries are left
//   for focus detection to skip.
// - activeWindow names the window that holds the keyboard focus, or none when the desktop names
//   none; it may name a window that is not in the list (one of another workspace, say).
// - While the desktop shows its overview (the show-desktop mode), the list holds one entry on
//   WindowSnapshot::kOverviewLayer owned by a process that Applications reports with the
//   application key kOverviewOwnerKey.
// - No snapshot (none) when the list cannot be read at all; the caller skips that refresh.
// - Main thread only. A call never blocks for longer than the server takes to answer.
class WindowServer {
public:
    WindowServer() = default;
    virtual ~WindowServer() = default;
    WindowServer(const WindowServer&) = delete;
    WindowServer& operator=(const WindowServer&) = delete;

    virtual std::optional<WindowSnapshot> captureSnapshot() = 0;
};

} // namespace tavrilux
