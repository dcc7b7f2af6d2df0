#pragma once

#include "core/focus/FocusScene.h"
#include "core/focus/ScreenGeometry.h"
#include "core/focus/WindowApplication.h"
#include "core/focus/WindowRecord.h"
#include "core/focus/WindowSnapshot.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tavrilux {

// Turns one window snapshot into a FocusScene. Pure apart from the lookups it is handed.
namespace FocusDetection {

// Windows smaller than this in either direction are not taken as an application's main window.
inline constexpr double kPrimaryWindowMinimumSize = 100.0;

// The records of `pid` on layer 0, in the given order.
std::vector<WindowRecord> ownedWindows(ProcessID pid, const std::vector<WindowRecord>& records);

// The first record at least 100 by 100; `fallback` when there is none.
const WindowRecord& primaryWindow(const std::vector<WindowRecord>& records,
                                  const WindowRecord& fallback);

// The record of the desktop's active window when it is a layer-0 window of a regular
// application other than `ownPID` that meets a display; none otherwise.
std::optional<WindowRecord> focusedWindow(const std::vector<WindowRecord>& records,
                                          std::optional<WindowNumber> activeWindow,
                                          const std::vector<ScreenGeometry>& screens,
                                          ProcessID ownPID,
                                          const ApplicationLookup& applicationInfo);

// `top` and the windows of its process that follow it in `candidates` without another
// process's window between them: what the overlay can lie below without keeping that other
// window bright.
std::vector<WindowRecord> unbrokenRun(const std::vector<WindowRecord>& candidates,
                                      const WindowRecord& top);

// The leading window on each display, keyed by display id: `focused` on the displays it meets,
// the front-most regular application's window elsewhere; the anchor ends its unbroken run. Each
// process is looked up at most once per call, whatever the number of displays.
std::map<DisplayID, ScreenFocusTarget>
focusTargets(const std::vector<WindowRecord>& records, const std::vector<ScreenGeometry>& screens,
             ProcessID ownPID, const ApplicationLookup& applicationInfo,
             const std::optional<WindowRecord>& focused = std::nullopt);

// The display holding most of `focused`, else of the frontmost regular application's main
// window.
std::optional<DisplayID>
resolveActiveScreenID(const std::vector<WindowRecord>& records,
                      const std::vector<ScreenGeometry>& screens, ProcessID ownPID,
                      const ApplicationLookup& applicationInfo,
                      const std::optional<WindowRecord>& focused = std::nullopt);

// The whole scene from one snapshot: records, targets, active display, overview flag.
FocusScene
buildScene(const WindowSnapshot& snapshot, const std::vector<ScreenGeometry>& screens,
           ProcessID ownPID, const ApplicationLookup& applicationInfo,
           const std::function<std::optional<std::string>(ProcessID)>& bundleIdentifierOf);

} // namespace FocusDetection

} // namespace tavrilux
