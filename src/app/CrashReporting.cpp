#include "app/CrashReporting.h"

#include "core/services/HardwareDeviceIdentifierProvider.h"
#include "platform/linux/CrashDiagnosticsStore.h"
#include "platform/linux/CrashHandler.h"
#include "platform/linux/CurlHttpTransport.h"
#include "platform/linux/DmiPlatformIdentifiers.h"
#include "platform/linux/OperatingSystem.h"
#include "platform/linux/ProcessBundle.h"
#include "platform/linux/ServiceEndpoints.h"
#include "platform/qt/QtMainThreadDispatcher.h"

#include <cstdio>

namespace tavrilux {

void CrashReporting::installHandler() {
    if (auto failure = linux_platform::CrashHandler::install(
            linux_platform::CrashDiagnosticsStore::defaultFolder(),
            linux_platform::ServiceEndpoints::programVersion())) {
        std::fprintf(stderr, "tavrilux: crashes will not be recorded: %s\n",
                     failure->description.c_str());
    }
}

CrashReporting::CrashReporting(std::weak_ptr<DimmingSettings> settings,
                               std::shared_ptr<UserDefaults> defaults)
    : dispatcher_(std::make_unique<qt::QtMainThreadDispatcher>()),
      client_(std::make_shared<CrashReportingAPIClient>(
          linux_platform::ServiceEndpoints::crashReportUrl(),
          std::make_shared<linux_platform::CurlHttpTransport>())) {
    manager_ = std::make_unique<CrashReportingManager>(CrashReportingManager::Environment{
        client_,
        std::make_shared<HardwareDeviceIdentifierProvider>(
            std::move(defaults), std::make_shared<linux_platform::DmiPlatformIdentifiers>()),
        [settings = std::move(settings)] {
            const auto alive = settings.lock();
            return !alive || alive->crashReportingEnabled.get();
        },
        *dispatcher_,
        linux_platform::ProcessBundle::current().shortVersion,
        linux_platform::OperatingSystem::versionString,
    });
    linux_platform::CrashDiagnosticsStore().deliverPending(*manager_);
}

CrashReporting::~CrashReporting() {
    // The delivery's completions keep the client alive; stop its worker here, not whenever the
    // last of them lets go.
    client_->shutDown();
}

} // namespace tavrilux
