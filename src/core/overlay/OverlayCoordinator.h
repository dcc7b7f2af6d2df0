#pragma once

#include "core/async/MainQueue.h"
#include "core/focus/FocusScene.h"
#include "core/focus/ScreenFocusTracker.h"
#include "core/focus/SystemEventObserver.h"
#include "core/overlay/OverlayManager.h"
#include "core/platform/ApplicationActivator.h"
#include "core/platform/Applications.h"
#include "core/platform/Screens.h"
#include "core/platform/WindowServer.h"
#include "core/platform/Workspace.h"
#include "core/reactive/Subscription.h"
#include "core/settings/DimmingSettings.h"

#include <memory>
#include <optional>
#include <set>
#include <string>

namespace tavrilux {

// The engine's hub: listens to the settings, tracks the focus, runs the presentation policy over
// the latest scene on every relevant change and hands the decision to the overlay manager. After
// the desktop overview closes, overlays stay cleared until 0.3 s have passed without another
// overview exit or workspace switch. Main thread only.
class OverlayCoordinator final : public std::enable_shared_from_this<OverlayCoordinator> {
public:
    static constexpr Seconds kSettleDelay{0.3};

    // What the engine works with; every member outlives the coordinator.
    struct Desktop {
        MainQueue& queue;
        Workspace& workspace;
        WindowServer& windowServer;
        const Screens& screens;
        const Applications& applications;
        ApplicationActivator& activator;
        OverlayWindowFactory& windowFactory;
        ProcessID ownPID;
        Seconds pollInterval = ScreenFocusTracker::kPollInterval;
    };

    // No subscription, observer or polling yet.
    static std::shared_ptr<OverlayCoordinator> create(std::shared_ptr<DimmingSettings> settings,
                                                      const Desktop& desktop);
    ~OverlayCoordinator();
    OverlayCoordinator(const OverlayCoordinator&) = delete;
    OverlayCoordinator& operator=(const OverlayCoordinator&) = delete;

    // Once, after creation: the settings' look to the manager, the subscriptions, tracking as
    // the settings say, and a first presentation.
    void start();
    // Cancels the settle delay, ends the subscriptions, stops the observer and the tracker, and
    // orders every overlay out at once.
    void tearDown();

    int overlayCount() const { return manager_.overlayCount(); }

    const OverlayManager& manager() const { return manager_; }
    bool isTrackingSystemState() const { return isTrackingSystemState_; }
    bool isWaitingForMissionControlReturn() const { return isWaitingForMissionControlReturn_; }
    const std::optional<FocusScene>& latestScene() const { return latestScene_; }

private:
    OverlayCoordinator(std::shared_ptr<DimmingSettings> settings, const Desktop& desktop);

    void bindSettings();
    void setSystemTrackingEnabled(bool enabled);
    void refreshPresentation();
    void scheduleSettledRefresh();
    void handleScene(const FocusScene& scene);
    // Wraps an action so that it runs only while this coordinator exists and tracks.
    std::function<void()> whileTracking(std::function<void(OverlayCoordinator&)> action);

    std::shared_ptr<DimmingSettings> settings_;
    Desktop desktop_;
    OverlayManager manager_;
    SystemEventObserver systemEvents_;
    ScreenFocusTracker focusTracker_;
    SubscriptionSet cancellables_;
    std::optional<FocusScene> latestScene_;
    std::set<std::string> excludedBundleIDs_;
    std::set<std::string> excludedDisplayUUIDs_;
    MultiScreenFocusMode multiScreenFocusMode_;
    TaskHandle settledRefreshTask_;
    bool isWaitingForMissionControlReturn_ = false;
    bool isTrackingSystemState_ = false;
};

} // namespace tavrilux
