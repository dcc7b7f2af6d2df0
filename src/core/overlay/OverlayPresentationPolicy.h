#pragma once

#include "core/focus/FocusScene.h"
#include "core/overlay/OverlayPresentationDecision.h"
#include "core/settings/DimmingConfiguration.h"
#include "core/settings/Enums.h"

#include <optional>
#include <set>
#include <string>

namespace tavrilux {

// Decides what each display shows. Pure: the same inputs always give the same decision.
class OverlayPresentationPolicy final {
public:
    OverlayPresentationPolicy() = delete;

    // Fade-out of every display while the desktop overview shows.
    static constexpr double kMissionControlClearDuration = 0.18;

    static OverlayPresentationDecision decide(const std::optional<FocusScene>& scene,
                                              const DimmingConfiguration& configuration,
                                              const std::set<std::string>& excludedBundleIDs,
                                              const std::set<DisplayID>& excludedScreenIDs,
                                              MultiScreenFocusMode multiScreenFocusMode,
                                              bool isWaitingForMissionControlReturn);
};

} // namespace tavrilux
