#pragma once

#include "core/async/MainQueue.h"
#include "core/focus/Identifiers.h"
#include "core/focus/ScreenGeometry.h"
#include "core/overlay/OverlayPresentationDecision.h"
#include "core/overlay/OverlayWindowPort.h"
#include "core/overlay/ScreenOverlaySlot.h"
#include "core/settings/DimmingConfiguration.h"

#include <map>
#include <memory>
#include <vector>

namespace tavrilux {

// One slot per display: turns each decision of the presentation policy into overlay windows.
// Main thread only.
class OverlayManager final {
public:
    // The look before the coordinator hands over the settings' one.
    static DimmingConfiguration initialConfiguration();

    OverlayManager(MainQueue& queue, OverlayWindowFactory& factory);
    ~OverlayManager();
    OverlayManager(const OverlayManager&) = delete;
    OverlayManager& operator=(const OverlayManager&) = delete;

    // Reconciles the slots with the displays (in the desktop's order), then gives every slot its
    // presentation or clears it. Presentations for displays that are not connected are ignored.
    void apply(const OverlayPresentationDecision& decision,
               const std::vector<ScreenGeometry>& screens);
    // Drops, without animation, every slot whose visible window is not on the active workspace.
    void discardInactiveSpaceSlots();
    // 1 per slot, 2 for a slot in a cross-fade.
    int overlayCount() const;
    // Stores the look and passes it to every slot.
    void update(const DimmingConfiguration& configuration);
    // Every window ordered out at once; every slot forgotten.
    void tearDown();

    const DimmingConfiguration& configuration() const { return configuration_; }
    // A plain assignment: slots already made keep their look.
    void setConfiguration(const DimmingConfiguration& configuration) {
        configuration_ = configuration;
    }
    const std::map<DisplayID, std::shared_ptr<ScreenOverlaySlot>>& slots() const { return slots_; }

private:
    void reconcile(const std::vector<ScreenGeometry>& screens);

    MainQueue& queue_;
    OverlayWindowFactory& factory_;
    std::map<DisplayID, std::shared_ptr<ScreenOverlaySlot>> slots_;
    DimmingConfiguration configuration_;
};

} // namespace tavrilux
