#pragma once

#include "core/focus/Identifiers.h"
#include "core/geometry/Rect.h"

#include <optional>
#include <string>

namespace tavrilux {

// One connected display as the desktop describes it.
struct Screen final {
    // The display number the desktop gives this display; absent when it gives none.
    std::optional<DisplayID> displayNumber;
    // In bottom-left global coordinates: the primary display's origin is (0, 0).
    Rect frame;
    // A name for people ("DP-1").
    std::string localizedName;

    friend bool operator==(const Screen&, const Screen&) = default;
};

} // namespace tavrilux
