#pragma once

#include "core/focus/Identifiers.h"
#include "core/focus/ScreenFocusTarget.h"

#include <map>
#include <optional>

namespace tavrilux {

// One observation of the desktop. Scenes compare by value.
struct FocusScene final {
    // One entry per display that has a focusable window of a regular application.
    std::map<DisplayID, ScreenFocusTarget> targets;
    // The display holding the active window, else the main window of the frontmost regular
    // application.
    std::optional<DisplayID> activeScreenID;
    bool isMissionControlActive = false;

    friend bool operator==(const FocusScene&, const FocusScene&) = default;
};

} // namespace tavrilux
