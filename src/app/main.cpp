// The composition root: the dimming engine on the X display, until SIGINT or SIGTERM, or until
// the X server goes away (then the exit status is 1).
#include "app/CrashReporting.h"
#include "core/defaults/DefaultsRegistry.h"
#include "core/diagnostics/DimmingResourceMonitor.h"
#include "core/overlay/OverlayCoordinator.h"
#include "core/resources/ResourceBundle.h"
#include "core/settings/DimmingSettings.h"
#include "core/settings/SettingsStore.h"
#include "platform/linux/JsonFileStorage.h"
#include "platform/linux/LinuxResourceUsageProbe.h"
#include "platform/linux/ResourceBundleLocator.h"
#include "platform/linux/TerminationSignals.h"
#include "platform/linux/XdgPaths.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/QtOverlayRenderer.h"
#include "platform/x11/X11ApplicationActivator.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11OverlayWindowFactory.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QSocketNotifier>

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

using namespace tavrilux;

namespace {

// The loop to quit, while it runs. The signal thread reads it under the lock, so the
// application object cannot go away while a quit is being posted to it.
std::mutex runningMutex;
QCoreApplication* runningApplication = nullptr;
std::atomic<bool> terminationRequested{false};
std::atomic<bool> connectionLost{false};

constexpr Seconds kDiagnosticsInterval{2.0};

void quitLoop() {
    std::lock_guard lock(runningMutex);
    if (runningApplication) {
        QMetaObject::invokeMethod(runningApplication, &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    }
}

void setRunningApplication(QCoreApplication* app) {
    std::lock_guard lock(runningMutex);
    runningApplication = app;
}

} // namespace

int main(int argc, char** argv) {
    // Starts no thread, so it may come first: a crash anywhere after this is recorded.
    CrashReporting::installHandler();
    // Before any thread exists: the signals then reach only the waiting thread.
    linux_platform::TerminationSignals termination([](int) {
        terminationRequested = true;
        quitLoop();
    });

    QCoreApplication app(argc, argv);
    DefaultsRegistry::installShared(std::make_unique<DefaultsRegistry>(
        linux_platform::JsonFileStorage::factoryIn(linux_platform::XdgPaths::tavriluxConfigDir())));
    // Before anything looks up a text or the icon.
    ResourceBundle::installShared(linux_platform::ResourceBundleLocator::openForThisProcess());

    qt::QtMainQueue queue;
    std::string error;
    auto desktop = x11::X11Desktop::connect(queue, nullptr, &error);
    if (!desktop) {
        std::fprintf(stderr, "tavrilux: %s\n", error.c_str());
        return 1;
    }
    auto overlays =
        x11::X11OverlayWindowFactory::connect(queue, qt::renderOverlay, nullptr, &error);
    if (!overlays) {
        std::fprintf(stderr, "tavrilux: %s\n", error.c_str());
        return 1;
    }
    // Our overlays restack on every focus change; the window list need not look again for them.
    overlays->setWindowLifecycleHandler([&desktop](xcb_window_t window, bool alive) {
        desktop->ignoreStructureEvents(window, alive);
    });

    // Either connection breaking means the server is gone: said once, then out with status 1.
    const auto loseConnection = [] {
        if (!connectionLost.exchange(true)) {
            std::fprintf(stderr, "tavrilux: the connection to the X server was lost\n");
        }
        quitLoop();
    };
    desktop->setConnectionLostHandler(loseConnection);
    // A closed socket stays readable: its notifier is switched off once the connection broke.
    QSocketNotifier desktopEvents(desktop->fileDescriptor(), QSocketNotifier::Read);
    QObject::connect(&desktopEvents, &QSocketNotifier::activated, [&] {
        desktop->processEvents();
        desktopEvents.setEnabled(desktop->isConnected());
    });
    QSocketNotifier overlayEvents(overlays->fileDescriptor(), QSocketNotifier::Read);
    QObject::connect(&overlayEvents, &QSocketNotifier::activated, [&] {
        overlays->processEvents();
        if (xcb_connection_has_error(overlays->connection()) != 0) {
            overlayEvents.setEnabled(false);
            loseConnection();
        }
    });
    x11::X11ApplicationActivator activator(desktop->connection(), desktop->root(), *desktop);

    auto defaults = SettingsStore::openDefaults(DefaultsRegistry::shared());
    auto store = std::make_shared<SettingsStore>(defaults);
    auto settings = DimmingSettings::create(store, *desktop, queue);
    auto coordinator = OverlayCoordinator::create(
        settings,
        OverlayCoordinator::Desktop{queue, *desktop, *desktop, *desktop, *desktop, activator,
                                    *overlays, static_cast<ProcessID>(getpid())});
    coordinator->start();

    linux_platform::LinuxResourceUsageProbe probe;
    DimmingResourceMonitor monitor(queue, probe);
    monitor.start(kDiagnosticsInterval,
                  [weak = std::weak_ptr<OverlayCoordinator>(coordinator)]() -> OverlayCounts {
                      if (auto alive = weak.lock()) {
                          return OverlayCounts{alive->overlayCount(), 0};
                      }
                      return OverlayCounts{};
                  });

    // Uploads what earlier runs recorded, once the loop runs.
    auto crashReporting = std::make_unique<CrashReporting>(settings, defaults);

    setRunningApplication(&app);
    if (!terminationRequested && !connectionLost) {
        app.exec();
    }
    setRunningApplication(nullptr);

    crashReporting.reset();
    monitor.stop();
    coordinator->tearDown();
    coordinator.reset();
    settings.reset();
    DefaultsRegistry::shared().flushAll();
    return connectionLost ? 1 : 0;
}
