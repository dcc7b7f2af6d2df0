#pragma once

#include "core/focus/Identifiers.h"
#include "core/geometry/Rect.h"

#include <optional>
#include <string>

namespace tavrilux {

// What leads on one display: the application whose window leads there (the active window, else
// the front-most regular one), that window, the back-most window of the unbroken run of its
// application's windows under it, and the frame of the run's main window. Compares all six
// fields exactly.
struct ScreenFocusTarget final {
    DisplayID screenID = 0;
    ProcessID ownerPID = 0;
    // The application key; absent when the application has none.
    std::optional<std::string> bundleIdentifier;
    WindowNumber topWindowNumber = 0;
    // The overlay is ordered just below this window.
    WindowNumber anchorWindowNumber = 0;
    Rect windowFrame;

    friend bool operator==(const ScreenFocusTarget&, const ScreenFocusTarget&) = default;
};

} // namespace tavrilux
