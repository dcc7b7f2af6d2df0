#include "core/focus/WindowSnapshot.h"

#include "core/platform/Applications.h"

namespace tavrilux {

namespace {

// The height of the display at origin (0, 0), else of the first display, else 0.
double flipReferenceHeight(const std::vector<ScreenGeometry>& screens) {
    for (const auto& screen : screens) {
        if (screen.frame.x == 0.0 && screen.frame.y == 0.0) {
            return screen.frame.height;
        }
    }
    return screens.empty() ? 0.0 : screens.front().frame.height;
}

} // namespace

std::vector<WindowRecord>
WindowSnapshot::windowRecords(const std::vector<ScreenGeometry>& screens) const {
    const double referenceHeight = flipReferenceHeight(screens);
    std::vector<WindowRecord> records;
    records.reserve(windowInfo.size());
    for (const auto& info : windowInfo) {
        if (!info.ownerPID || !info.layer || !info.number || !info.bounds) {
            continue;
        }
        const WindowBounds& b = *info.bounds;
        if (!(b.width > 0.0) || !(b.height > 0.0)) {
            continue;
        }
        records.push_back(
            WindowRecord{*info.number, *info.ownerPID, *info.layer,
                         Rect{b.x, referenceHeight - b.y - b.height, b.width, b.height}});
    }
    return records;
}

bool WindowSnapshot::isMissionControlActive(
    const std::function<std::optional<std::string>(ProcessID)>& bundleIdentifierOf) const {
    for (const auto& info : windowInfo) {
        if (!info.layer || *info.layer != kOverviewLayer || !info.ownerPID) {
            continue;
        }
        if (bundleIdentifierOf(*info.ownerPID) == kOverviewOwnerKey) {
            return true;
        }
    }
    return false;
}

} // namespace tavrilux
