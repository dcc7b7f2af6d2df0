#pragma once

#include "core/focus/ScreenGeometry.h"
#include "core/focus/WindowInfo.h"
#include "core/focus/WindowRecord.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavrilux {

// One reading of the window server's on-screen window list, front to back.
struct WindowSnapshot final {
    // Layer of the overview (Mission Control) entry.
    static constexpr int kOverviewLayer = 18;

    std::vector<WindowInfo> windowInfo;
    // The window the desktop gives the keyboard focus to (its active window), when it names one.
    // Where the desktop separates focus from stacking it need not be the front-most window.
    std::optional<WindowNumber> activeWindow;

    // The usable entries in list order, frames flipped to bottom-left coordinates. `screens` is
    // the display list in its usual order; it only supplies the flip reference height.
    std::vector<WindowRecord> windowRecords(const std::vector<ScreenGeometry>& screens) const;

    // True at the first entry on the overview layer whose owner runs with the overview owner's
    // application key. The layer is tested before the owner is looked up.
    bool isMissionControlActive(
        const std::function<std::optional<std::string>(ProcessID)>& bundleIdentifierOf) const;
};

} // namespace tavrilux
