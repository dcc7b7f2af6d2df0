#pragma once

#include "core/focus/Identifiers.h"
#include "core/overlay/ScreenOverlayPresentation.h"

#include <map>

namespace tavrilux {

// One decision of the presentation policy: the displays to show, and how long the others take to
// fade out.
struct OverlayPresentationDecision final {
    // Every display not in here is cleared.
    std::map<DisplayID, ScreenOverlayPresentation> presentations;
    // Seconds.
    double clearDuration = 0.0;

    friend bool operator==(const OverlayPresentationDecision&,
                           const OverlayPresentationDecision&) = default;
};

} // namespace tavrilux
