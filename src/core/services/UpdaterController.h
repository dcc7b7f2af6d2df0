#pragma once

#include "core/reactive/Subscription.h"

#include <functional>
#include <string>

namespace tavrilux {

// One release offered by the update feed.
struct AppcastItem final {
    // Compared with the running version.
    std::string version;
    // What the user is shown.
    std::string displayVersionString;
    // Where the release can be downloaded; may be empty.
    std::string downloadUrl;

    friend bool operator==(const AppcastItem&, const AppcastItem&) = default;
};

// Hears how checks end. Calls arrive on the main thread. A check that fails (unreachable feed,
// malformed feed) calls neither.
class UpdaterDelegate {
public:
    UpdaterDelegate() = default;
    virtual ~UpdaterDelegate() = default;
    UpdaterDelegate(const UpdaterDelegate&) = delete;
    UpdaterDelegate& operator=(const UpdaterDelegate&) = delete;

    virtual void didFindValidUpdate(const AppcastItem& item) = 0;
    virtual void didNotFindUpdate() = 0;
};

// The update machinery of an installed build.
//
// Contract (main thread only):
// - observeCanCheckForUpdates() delivers the current value at once, then every change.
// - Nothing is checked before startUpdater(), which starts the scheduled checks.
// - checkForUpdates() starts a check the user asked for and tells the user its outcome; it does
//   nothing while a check cannot start (canCheckForUpdates false).
// - The automatic-download preference persists across runs.
class UpdaterController {
public:
    UpdaterController() = default;
    virtual ~UpdaterController() = default;
    UpdaterController(const UpdaterController&) = delete;
    UpdaterController& operator=(const UpdaterController&) = delete;

    [[nodiscard]] virtual Subscription
    observeCanCheckForUpdates(std::function<void(bool)> handler) = 0;
    virtual void startUpdater() = 0;
    virtual void checkForUpdates() = 0;
    virtual bool automaticallyDownloadsUpdates() const = 0;
    virtual void setAutomaticallyDownloadsUpdates(bool value) = 0;
};

} // namespace tavrilux
