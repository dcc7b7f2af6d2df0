#pragma once

#include "core/reactive/Published.h"
#include "core/reactive/Subscription.h"
#include "core/services/MainBundleInfo.h"
#include "core/services/UpdateAvailability.h"
#include "core/services/UpdaterController.h"

#include <functional>
#include <memory>

namespace tavrilux {

// The update service the screens observe: whether a check may start now, and the outcome of
// the last finished check. Only installed builds have a controller; a development build stays
// "unknown" and cannot check for the whole run. Main thread only.
class UpdaterManager final : public UpdaterDelegate {
public:
    // Builds the controller of an installed build, reporting to the given delegate.
    using ControllerFactory = std::function<std::unique_ptr<UpdaterController>(UpdaterDelegate&)>;

    UpdaterManager(BuildFlavor flavor, ControllerFactory makeController);
    ~UpdaterManager() override;

    Published<bool> canCheckForUpdates{false};
    Published<UpdateAvailability> updateAvailability{UpdateAvailability::unknown()};

    // A check the user asked for; does nothing without a controller.
    void checkForUpdates();
    bool automaticallyDownloadsUpdates() const;
    void setAutomaticallyDownloadsUpdates(bool value);
    bool hasController() const { return controller_ != nullptr; }

    void didFindValidUpdate(const AppcastItem& item) override;
    void didNotFindUpdate() override;

private:
    Subscription canCheckMirror_;
    std::unique_ptr<UpdaterController> controller_;
};

} // namespace tavrilux
