// The composition root: the tray application on the X display, hosting the dimming engine, until
// the menu's Quit, SIGINT or SIGTERM, or until the X server goes away (then the exit status is 1).
#include "app/AppDelegate.h"
#include "app/CrashReporting.h"
#include "app/OnboardingWindowManager.h"
#include "app/SettingsWindowManager.h"
#include "app/SingleInstanceGuard.h"
#include "core/defaults/DefaultsRegistry.h"
#include "core/resources/ResourceBundle.h"
#include "core/services/FeedUpdater.h"
#include "core/services/LoginItem.h"
#include "core/settings/SettingsStore.h"
#include "platform/linux/CurlHttpTransport.h"
#include "platform/linux/DesktopEntryApplicationDirectory.h"
#include "platform/linux/JsonFileStorage.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxResourceUsageProbe.h"
#include "platform/linux/ProcessBundle.h"
#include "platform/linux/ResourceBundleLocator.h"
#include "platform/linux/ServiceEndpoints.h"
#include "platform/linux/TerminationSignals.h"
#include "platform/linux/XdgOpener.h"
#include "platform/linux/XdgPaths.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/QtMainThreadDispatcher.h"
#include "platform/qt/QtOverlayRenderer.h"
#include "platform/qt/QtUpdateCheckPresenter.h"
#include "platform/x11/X11ApplicationActivator.h"
#include "platform/x11/X11ClickMonitor.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11HotKey.h"
#include "platform/x11/X11OverlayWindowFactory.h"
#include "platform/x11/X11SystemTray.h"
#include "ui/quickpanel/QuickPanelView.h"
#include "ui/settings/AboutPanelView.h"
#include "ui/settings/BackgroundLoginItem.h"

#include <QApplication>
#include <QMetaObject>
#include <QSocketNotifier>

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
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
// From just before Qt connects until main returns by itself: an exit from anywhere else means a
// lost connection (Qt's X11 plugin and Xlib end the process when their connection breaks,
// wherever they notice it, also while the launch is still under way).
std::atomic<bool> exitMeansLostConnection{false};
std::atomic<bool> settingsInstalled{false};

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

void reportConnectionLost() {
    if (!connectionLost.exchange(true)) {
        std::fprintf(stderr, "tavrilux: the connection to the X server was lost\n");
    }
}

// Said once, our way, with the settings flushed. The rest of the process still runs, so it is
// not torn down: that could crash and end it with a signal instead of status 1. Also called at
// exit, for a way out that says nothing first.
void exitingOnALostConnection() {
    if (exitMeansLostConnection.exchange(false)) {
        reportConnectionLost();
        if (settingsInstalled) {
            DefaultsRegistry::shared().flushAll();
        }
        std::fflush(nullptr);
        std::_Exit(1);
    }
}

// Every return from main is its own way out.
struct ReturnFromMain final {
    ~ReturnFromMain() { exitMeansLostConnection = false; }
};

void filterQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // What Qt's X11 plugin says (also for Xlib) right before it ends the process itself: the
    // process ends here instead, before anything of it is torn down.
    if (message.startsWith(QStringLiteral("The X11 connection broke"))) {
        exitingOnALostConnection();
        return;
    }
    qt_message_output(type, context, message);
}

bool displayReachable() {
    xcb_connection_t* probe = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(probe) == 0;
    xcb_disconnect(probe);
    return reachable;
}

// Calls `process` whenever the connection's socket is readable; `broken` tells when it is gone.
std::unique_ptr<QSocketNotifier> watch(int fd, std::function<void()> process,
                                       std::function<bool()> connected) {
    auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QSocketNotifier* raw = notifier.get();
    QObject::connect(raw, &QSocketNotifier::activated, [raw, process, connected] {
        process();
        // A closed socket stays readable: its notifier is switched off once the connection broke.
        if (!connected()) {
            raw->setEnabled(false);
            reportConnectionLost();
            quitLoop();
        }
    });
    return notifier;
}

// The login item with the adapters it works through, kept together: its calls run on a thread
// of their own, which may hold them after everything else is gone.
struct LoginItemParts {
    explicit LoginItemParts(const MainBundleInfo& bundle)
        : folder(linux_platform::XdgPaths::configHome() / "autostart"),
          service(files, folder, bundle.executablePath),
          item(LoginItem::Environment{bundle, service, files, folder, opener}) {}

    linux_platform::LinuxFileSystem files;
    linux_platform::XdgOpener opener;
    std::filesystem::path folder;
    XdgAutostartLoginService service;
    LoginItem item;
};

std::shared_ptr<LoginItem> makeLoginItem(const MainBundleInfo& bundle) {
    auto parts = std::make_shared<LoginItemParts>(bundle);
    return std::shared_ptr<LoginItem>(parts, &parts->item);
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

    // A write to a server that went away fails instead of ending the process unseen; the loss is
    // then noticed and said.
    std::signal(SIGPIPE, SIG_IGN);

    if (!displayReachable()) {
        std::fprintf(stderr, "tavrilux: cannot connect to the X server\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    qInstallMessageHandler(filterQtMessages);
    std::atexit(exitingOnALostConnection);
    const ReturnFromMain returning;
    exitMeansLostConnection = true;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavrilux"));
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstanceGuard instance(qEnvironmentVariable("DISPLAY"));
    if (!instance.claim()) {
        return 0;
    }

    DefaultsRegistry::installShared(std::make_unique<DefaultsRegistry>(
        linux_platform::JsonFileStorage::factoryIn(linux_platform::XdgPaths::tavriluxConfigDir())));
    settingsInstalled = true;
    // Before anything looks up a text or the icon.
    ResourceBundle::installShared(linux_platform::ResourceBundleLocator::openForThisProcess());

    qt::QtMainQueue queue;
    std::string error;
    auto desktop = x11::X11Desktop::connect(queue, nullptr, &error);
    auto overlays =
        desktop ? x11::X11OverlayWindowFactory::connect(queue, qt::renderOverlay, nullptr, &error)
                : nullptr;
    auto hotKey = overlays ? x11::X11HotKey::connect(queue, nullptr, &error) : nullptr;
    if (!hotKey) {
        std::fprintf(stderr, "tavrilux: %s\n", error.c_str());
        return 1;
    }
    auto clicks = x11::X11ClickMonitor::connect(queue, nullptr, &error);
    if (!clicks) {
        std::fprintf(stderr, "tavrilux: %s; the quick panel closes only from the tray icon\n",
                     error.c_str());
    }
    // The tray's colours as it changes them; the icon takes a colour of its own without.
    auto tray = x11::X11SystemTray::connect(queue, nullptr, &error);
    // Our overlays restack on every focus change; the window list need not look again for them.
    overlays->setWindowLifecycleHandler([&desktop](xcb_window_t window, bool alive) {
        desktop->ignoreStructureEvents(window, alive);
    });
    // Which frame holds a window and which application a frame holds: overlays are placed without
    // asking the server, and stay below all of an application's windows there.
    overlays->setTopLevels(desktop.get());
    // Any connection breaking means the server is gone: said once, then out with status 1.
    desktop->setConnectionLostHandler([] {
        reportConnectionLost();
        quitLoop();
    });
    std::vector<std::unique_ptr<QSocketNotifier>> notifiers;
    notifiers.push_back(watch(
        desktop->fileDescriptor(), [&] { desktop->processEvents(); },
        [&] { return desktop->isConnected(); }));
    notifiers.push_back(watch(
        overlays->fileDescriptor(), [&] { overlays->processEvents(); },
        [&] { return xcb_connection_has_error(overlays->connection()) == 0; }));
    notifiers.push_back(watch(
        hotKey->fileDescriptor(), [&] { hotKey->processEvents(); },
        [&] { return hotKey->isConnected(); }));
    if (clicks) {
        notifiers.push_back(watch(
            clicks->fileDescriptor(), [&] { clicks->processEvents(); },
            [&] { return clicks->isConnected(); }));
    }
    if (tray) {
        notifiers.push_back(watch(
            tray->fileDescriptor(), [&] { tray->processEvents(); },
            [&] { return tray->isConnected(); }));
    }
    x11::X11ApplicationActivator activator(desktop->connection(), desktop->root(), *desktop);
    linux_platform::LinuxResourceUsageProbe probe;

    // Installed builds check their feed; development builds have no update controller.
    const auto bundle = linux_platform::ProcessBundle::current();
    qt::QtMainThreadDispatcher updateDispatcher;
    auto updateDefaults = SettingsStore::openDefaults(DefaultsRegistry::shared());
    auto makeUpdateController =
        [&](UpdaterDelegate& delegate) -> std::unique_ptr<UpdaterController> {
        return std::make_unique<FeedUpdater>(
            FeedUpdater::Environment{
                linux_platform::ServiceEndpoints::updateFeedUrl(), bundle.shortVersion.value_or(""),
                std::make_shared<linux_platform::CurlHttpTransport>(), queue, updateDispatcher,
                updateDefaults, [] { return std::chrono::system_clock::now(); },
                std::make_shared<qt::QtUpdateCheckPresenter>()},
            delegate);
    };

    // Start at login: an XDG autostart entry, asked on a thread of its own.
    ui::BackgroundLoginItem loginItem(makeLoginItem(bundle));
    linux_platform::DesktopEntryApplicationDirectory installedApplications;
    const ui::SettingsServices settingsServices{bundle.shortVersion, installedApplications,
                                                loginItem};

    ShellScreens screens;
    screens.quickPanel = [](const ui::UiContext& context,
                            QuickPanelActions actions) -> std::unique_ptr<QWidget> {
        return std::make_unique<ui::QuickPanelView>(context, std::move(actions.openSettings),
                                                    std::move(actions.openAbout));
    };
    screens.settingsWindowManager = [&settingsServices](const ui::UiContext& context,
                                                        std::function<void()>) {
        return std::make_unique<SettingsWindowManager>(context, settingsServices);
    };
    screens.aboutPanel = [version = bundle.shortVersion]() -> std::unique_ptr<QWidget> {
        return std::make_unique<ui::AboutPanelView>(version);
    };
    screens.onboardingWindowManager = [](const ui::UiContext& context,
                                         std::function<void()> showQuickPanel) {
        return std::make_unique<OnboardingWindowManager>(context, std::move(showQuickPanel));
    };
    screens.enableLoginItem = [&loginItem, &app] {
        loginItem.setEnabled(true, &app, [](const Result<LoginItemStatus>& result) {
            if (!result.ok()) {
                std::printf("LoginItem.setEnabled(true) on first launch failed: %s\n",
                            result.failure().description.c_str());
                std::fflush(stdout);
            }
        });
    };
    auto delegate = std::make_unique<AppDelegate>(
        AppDelegate::Platform{
            OverlayCoordinator::Desktop{queue, *desktop, *desktop, *desktop, *desktop, activator,
                                        *overlays, static_cast<ProcessID>(getpid())},
            probe, *hotKey, clicks.get(), [&overlays] { return overlays->hasCompositor(); },
            bundle.flavor, makeUpdateController, bundle.executablePath, tray.get()},
        std::move(screens));
    QObject::connect(&instance, &SingleInstanceGuard::reopenRequested,
                     [&delegate] { delegate->applicationShouldHandleReopen(); });

    // Already during the launch: a signal also ends the removable-media alert.
    setRunningApplication(&app);
    if (delegate->applicationDidFinishLaunching() && !terminationRequested && !connectionLost) {
        app.exec();
    }
    setRunningApplication(nullptr);

    delegate->applicationWillTerminate();
    delegate.reset();
    notifiers.clear();
    DefaultsRegistry::shared().flushAll();
    return connectionLost ? 1 : 0;
}
