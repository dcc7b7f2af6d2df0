#include "core/services/UpdaterManager.h"

namespace tavrilux {

UpdaterManager::UpdaterManager(BuildFlavor flavor, ControllerFactory makeController) {
    if (flavor != BuildFlavor::packaged || !makeController) {
        return;
    }
    controller_ = makeController(*this);
    if (!controller_) {
        return;
    }
    canCheckMirror_ = controller_->observeCanCheckForUpdates(
        [this](bool canCheck) { canCheckForUpdates.set(canCheck); });
    controller_->startUpdater();
}

UpdaterManager::~UpdaterManager() {
    canCheckMirror_.cancel();
    controller_.reset(); // before the published values it may still report to
}

void UpdaterManager::checkForUpdates() {
    if (controller_) {
        controller_->checkForUpdates();
    }
}

bool UpdaterManager::automaticallyDownloadsUpdates() const {
    return controller_ ? controller_->automaticallyDownloadsUpdates() : false;
}

void UpdaterManager::setAutomaticallyDownloadsUpdates(bool value) {
    if (controller_) {
        controller_->setAutomaticallyDownloadsUpdates(value);
    }
}

void UpdaterManager::didFindValidUpdate(const AppcastItem& item) {
    updateAvailability.set(UpdateAvailability::available(item.displayVersionString));
}

void UpdaterManager::didNotFindUpdate() {
    updateAvailability.set(UpdateAvailability::noUpdate());
}

} // namespace tavrilux
