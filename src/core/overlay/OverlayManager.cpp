#include "core/overlay/OverlayManager.h"

namespace tavrilux {

DimmingConfiguration OverlayManager::initialConfiguration() {
    return DimmingConfiguration(true, 0.0, 0.5, OverlayColor{0, 0, 0}, 0.25, EffectMode::fullscreen,
                                0.5, 1.0, 0.35);
}

OverlayManager::OverlayManager(MainQueue& queue, OverlayWindowFactory& factory)
    : queue_(queue), factory_(factory), configuration_(initialConfiguration()) {}

OverlayManager::~OverlayManager() {
    // Owners call tearDown(); a manager dropped without it still leaves no window on screen.
    tearDown();
}

void OverlayManager::apply(const OverlayPresentationDecision& decision,
                           const std::vector<ScreenGeometry>& screens) {
    if (slots_.empty() && decision.presentations.empty()) {
        return;
    }
    reconcile(screens);
    for (auto& [id, slot] : slots_) {
        auto it = decision.presentations.find(id);
        if (it != decision.presentations.end()) {
            slot->setPresentation(it->second);
        } else {
            slot->clear(decision.clearDuration);
        }
    }
}

void OverlayManager::reconcile(const std::vector<ScreenGeometry>& screens) {
    // A later display with the same id takes the id.
    std::map<DisplayID, ScreenGeometry> byID;
    for (const auto& screen : screens) {
        byID.insert_or_assign(screen.id, screen);
    }
    for (auto it = slots_.begin(); it != slots_.end();) {
        if (byID.find(it->first) == byID.end()) {
            it->second->tearDown();
            it = slots_.erase(it);
        } else {
            ++it;
        }
    }
    for (const auto& [id, screen] : byID) {
        auto it = slots_.find(id);
        if (it != slots_.end() && it->second->screen().frame == screen.frame) {
            it->second->replaceScreen(screen);
            continue;
        }
        if (it != slots_.end()) {
            it->second->tearDown();
        }
        slots_[id] = ScreenOverlaySlot::make(screen, configuration_, queue_, factory_);
    }
}

void OverlayManager::discardInactiveSpaceSlots() {
    std::vector<DisplayID> dropped;
    for (const auto& [id, slot] : slots_) {
        if (!slot->isOnActiveSpace()) {
            dropped.push_back(id);
        }
    }
    for (DisplayID id : dropped) {
        auto slot = slots_[id];
        slots_.erase(id);
        slot->tearDown();
    }
}

int OverlayManager::overlayCount() const {
    int count = 0;
    for (const auto& [id, slot] : slots_) {
        count += slot->overlayCount();
    }
    return count;
}

void OverlayManager::update(const DimmingConfiguration& configuration) {
    configuration_ = configuration;
    for (auto& [id, slot] : slots_) {
        slot->update(configuration);
    }
}

void OverlayManager::tearDown() {
    for (auto& [id, slot] : slots_) {
        slot->tearDown();
    }
    slots_.clear();
}

} // namespace tavrilux
