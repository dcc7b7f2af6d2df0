#pragma once

#include "core/focus/Identifiers.h"

#include <optional>

namespace tavrilux {

// A window's bounds as the window server reports them: origin at the top left of the primary
// display, y growing downward. A component the server did not report is 0.
struct WindowBounds final {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;

    friend constexpr bool operator==(const WindowBounds&, const WindowBounds&) = default;
};

// One entry of the window server's list. A field is absent when the server did not report it
// or reported it in an unreadable form; such an entry is skipped by focus detection.
struct WindowInfo final {
    std::optional<WindowNumber> number;
    std::optional<ProcessID> ownerPID;
    // 0 is the layer of ordinary application windows.
    std::optional<int> layer;
    std::optional<WindowBounds> bounds;

    friend bool operator==(const WindowInfo&, const WindowInfo&) = default;
};

} // namespace tavrilux
