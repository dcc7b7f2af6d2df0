#pragma once

#include "core/focus/Identifiers.h"
#include "core/geometry/Rect.h"

namespace tavrilux {

// One usable entry of the window list, its frame in bottom-left global coordinates.
struct WindowRecord final {
    WindowNumber number = 0;
    ProcessID ownerPID = 0;
    int layer = 0;
    Rect frame;

    friend constexpr bool operator==(const WindowRecord&, const WindowRecord&) = default;
};

} // namespace tavrilux
