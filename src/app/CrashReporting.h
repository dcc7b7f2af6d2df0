#pragma once

#include "core/defaults/UserDefaults.h"
#include "core/services/CrashReportingAPIClient.h"
#include "core/services/CrashReportingManager.h"
#include "core/settings/DimmingSettings.h"

#include <memory>

namespace tavrilux::qt {
class QtMainThreadDispatcher;
}

namespace tavrilux {

// Crash reporting of the running program: the handler that records a crash of this run, and the
// upload of the records that earlier runs left, when the user allows it.
class CrashReporting final {
public:
    // Records fatal signals from now on into the diagnostics folder; starts no thread. Should
    // that fail, it is said on standard error and the program runs on without crash records.
    static void installHandler();

    // Builds the manager with the service's upload client and hands it the records of earlier
    // runs. `settings` is asked on the main thread whether uploads are allowed; `defaults` keep
    // the fallback device identifier. Main thread, with the Qt event loop about to run.
    CrashReporting(std::weak_ptr<DimmingSettings> settings, std::shared_ptr<UserDefaults> defaults);
    // Ends an upload in flight at once: quitting never waits for the server.
    ~CrashReporting();
    CrashReporting(const CrashReporting&) = delete;
    CrashReporting& operator=(const CrashReporting&) = delete;

private:
    // Held by pointer so that Qt's keywords stay out of the files including this one.
    std::unique_ptr<qt::QtMainThreadDispatcher> dispatcher_;
    std::shared_ptr<CrashReportingAPIClient> client_;
    std::unique_ptr<CrashReportingManager> manager_;
};

} // namespace tavrilux
