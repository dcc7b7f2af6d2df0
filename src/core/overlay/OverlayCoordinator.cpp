#include "core/overlay/OverlayCoordinator.h"

#include "core/overlay/OverlayPresentationPolicy.h"

namespace tavrilux {

std::shared_ptr<OverlayCoordinator>
OverlayCoordinator::create(std::shared_ptr<DimmingSettings> settings, const Desktop& desktop) {
    return std::shared_ptr<OverlayCoordinator>(
        new OverlayCoordinator(std::move(settings), desktop));
}

OverlayCoordinator::OverlayCoordinator(std::shared_ptr<DimmingSettings> settings,
                                       const Desktop& desktop)
    : settings_(std::move(settings)), desktop_(desktop),
      manager_(desktop.queue, desktop.windowFactory), systemEvents_(desktop.queue),
      focusTracker_(desktop.queue, desktop.windowServer, desktop.screens, desktop.applications,
                    desktop.ownPID, desktop.pollInterval),
      excludedBundleIDs_(settings_->excludedBundleIDs.get()),
      excludedDisplayUUIDs_(settings_->excludedDisplayUUIDs.get()),
      multiScreenFocusMode_(settings_->multiScreenFocusMode.get()) {}

OverlayCoordinator::~OverlayCoordinator() {
    settledRefreshTask_.cancel();
    cancellables_.clear();
    systemEvents_.stop();
    focusTracker_.stop();
}

void OverlayCoordinator::start() {
    manager_.setConfiguration(settings_->configuration());
    bindSettings();
    setSystemTrackingEnabled(settings_->isEnabled.get());
    refreshPresentation();
}

void OverlayCoordinator::tearDown() {
    settledRefreshTask_.cancel();
    settledRefreshTask_.reset();
    cancellables_.clear();
    systemEvents_.stop();
    focusTracker_.stop();
    isTrackingSystemState_ = false;
    manager_.tearDown();
}

void OverlayCoordinator::bindSettings() {
    std::weak_ptr<OverlayCoordinator> weakSelf = weak_from_this();
    // observe() delivers later assignments only: the current values are not replayed.
    cancellables_.insert(
        settings_->excludedBundleIDs.observe([weakSelf](const std::set<std::string>& value) {
            if (auto self = weakSelf.lock()) {
                self->excludedBundleIDs_ = value;
                self->refreshPresentation();
            }
        }));
    cancellables_.insert(
        settings_->excludedDisplayUUIDs.observe([weakSelf](const std::set<std::string>& value) {
            if (auto self = weakSelf.lock()) {
                self->excludedDisplayUUIDs_ = value;
                self->refreshPresentation();
            }
        }));
    cancellables_.insert(
        settings_->multiScreenFocusMode.observe([weakSelf](const MultiScreenFocusMode& value) {
            if (auto self = weakSelf.lock()) {
                self->multiScreenFocusMode_ = value;
                self->refreshPresentation();
            }
        }));
    cancellables_.insert(settings_->configurationChangesSubject.subscribe(
        [weakSelf](const DimmingConfiguration& value) {
            if (auto self = weakSelf.lock()) {
                self->manager_.update(value);
                self->setSystemTrackingEnabled(value.isEnabled);
                self->refreshPresentation();
            }
        }));
}

std::function<void()>
OverlayCoordinator::whileTracking(std::function<void(OverlayCoordinator&)> action) {
    std::weak_ptr<OverlayCoordinator> weakSelf = weak_from_this();
    return [weakSelf, action = std::move(action)] {
        auto self = weakSelf.lock();
        if (self && self->isTrackingSystemState_) {
            action(*self);
        }
    };
}

void OverlayCoordinator::setSystemTrackingEnabled(bool enabled) {
    if (enabled == isTrackingSystemState_) {
        return;
    }
    isTrackingSystemState_ = enabled;
    if (enabled) {
        systemEvents_.stop();
        systemEvents_.observeApplicationActivated(
            desktop_.workspace,
            whileTracking([](OverlayCoordinator& self) { self.focusTracker_.refresh(false); }));
        systemEvents_.observeScreenParametersChanged(
            desktop_.workspace,
            whileTracking([](OverlayCoordinator& self) { self.focusTracker_.refresh(true); }));
        systemEvents_.observeActiveSpaceChanged(desktop_.workspace,
                                                whileTracking([](OverlayCoordinator& self) {
                                                    self.manager_.discardInactiveSpaceSlots();
                                                    self.focusTracker_.refresh(true);
                                                    self.scheduleSettledRefresh();
                                                }));
        std::weak_ptr<OverlayCoordinator> weakSelf = weak_from_this();
        focusTracker_.start([weakSelf](const FocusScene& scene) {
            if (auto self = weakSelf.lock()) {
                self->handleScene(scene);
            }
        });
    } else {
        settledRefreshTask_.cancel();
        settledRefreshTask_.reset();
        isWaitingForMissionControlReturn_ = false;
        latestScene_.reset();
        systemEvents_.stop();
        focusTracker_.stop();
    }
}

void OverlayCoordinator::handleScene(const FocusScene& scene) {
    if (!isTrackingSystemState_) {
        return;
    }
    const bool missionControlEnded =
        latestScene_ && latestScene_->isMissionControlActive && !scene.isMissionControlActive;
    latestScene_ = scene;
    settings_->setActiveScreenID(scene.activeScreenID);
    if (missionControlEnded) {
        isWaitingForMissionControlReturn_ = true;
        if (auto front = desktop_.workspace.frontmostApplication()) {
            desktop_.activator.activate(*front, true);
        }
        refreshPresentation();
        scheduleSettledRefresh();
    } else {
        refreshPresentation();
    }
}

void OverlayCoordinator::scheduleSettledRefresh() {
    settledRefreshTask_.cancel();
    std::weak_ptr<OverlayCoordinator> weakSelf = weak_from_this();
    settledRefreshTask_ = desktop_.queue.postAfter(kSettleDelay, [weakSelf] {
        if (auto self = weakSelf.lock()) {
            self->isWaitingForMissionControlReturn_ = false;
            self->settledRefreshTask_.reset();
            self->focusTracker_.refresh(true);
        }
    });
}

void OverlayCoordinator::refreshPresentation() {
    const auto screens = desktop_.screens.screens();
    std::set<DisplayID> excludedScreenIDs;
    for (const auto& screen : screens) {
        if (excludedDisplayUUIDs_.count(tavriluxDisplayUUID(screen, desktop_.screens)) > 0) {
            excludedScreenIDs.insert(tavriluxScreenID(screen, desktop_.screens));
        }
    }
    const auto decision = OverlayPresentationPolicy::decide(
        latestScene_, settings_->configuration(), excludedBundleIDs_, excludedScreenIDs,
        multiScreenFocusMode_, isWaitingForMissionControlReturn_);
    manager_.apply(decision, screenGeometries(screens, desktop_.screens));
}

} // namespace tavrilux
