#pragma once

#include "core/focus/Identifiers.h"
#include "core/geometry/Rect.h"

namespace tavrilux {

// A display as focus detection sees it: its id and its frame (bottom-left global coordinates).
struct ScreenGeometry final {
    DisplayID id = 0;
    Rect frame;

    friend constexpr bool operator==(const ScreenGeometry&, const ScreenGeometry&) = default;
};

} // namespace tavrilux
