#include "core/overlay/OverlayPresentationPolicy.h"

#include <algorithm>

namespace tavrilux {

OverlayPresentationDecision OverlayPresentationPolicy::decide(
    const std::optional<FocusScene>& scene, const DimmingConfiguration& configuration,
    const std::set<std::string>& excludedBundleIDs, const std::set<DisplayID>& excludedScreenIDs,
    MultiScreenFocusMode multiScreenFocusMode, bool isWaitingForMissionControlReturn) {
    const double duration = configuration.appearanceDuration;
    if (!scene) {
        return {{}, duration};
    }
    if (scene->isMissionControlActive) {
        return {{}, kMissionControlClearDuration};
    }
    // One excluded application in front anywhere clears every display.
    const bool excludedInFront =
        std::any_of(scene->targets.begin(), scene->targets.end(), [&](const auto& entry) {
            const auto& key = entry.second.bundleIdentifier;
            return key && excludedBundleIDs.contains(*key);
        });
    if (excludedInFront || !configuration.isEnabled || isWaitingForMissionControlReturn) {
        return {{}, duration};
    }

    const bool activeOnly = multiScreenFocusMode == MultiScreenFocusMode::activeScreenOnly &&
                            scene->activeScreenID &&
                            scene->targets.contains(*scene->activeScreenID);
    OverlayPresentationDecision decision{{}, duration};
    for (const auto& [id, target] : scene->targets) {
        if (excludedScreenIDs.contains(id)) {
            continue;
        }
        if (!activeOnly || id == *scene->activeScreenID) {
            decision.presentations.emplace(id, ScreenOverlayPresentation::focusedWindow(target));
        } else if (configuration.effectMode != EffectMode::aura) {
            decision.presentations.emplace(
                id, ScreenOverlayPresentation::dimAll(target.topWindowNumber));
        }
    }
    return decision;
}

} // namespace tavrilux
