#pragma once

#include "app/CrashReporting.h"
#include "app/ShellScreens.h"
#include "app/StatusBarController.h"
#include "core/diagnostics/DimmingResourceMonitor.h"
#include "core/navigation/SettingsNavigation.h"
#include "core/overlay/OverlayCoordinator.h"
#include "core/services/UpdaterManager.h"
#include "core/settings/DimmingSettings.h"
#include "core/settings/SettingsStore.h"

#include <QPointer>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>

namespace tavrilux {

// The application's start-up and shutdown: owns every long-lived object of the process (the
// settings and their store, the update service, the settings navigation, the diagnostics
// monitor, the engine's coordinator, the status item and the windows' owners) and builds them
// in a fixed order, so that the first-launch decision is taken before anything can save and the
// engine runs from launch to termination. Callbacks handed to the components hold their targets
// weakly. Main thread only.
class AppDelegate final {
public:
    // What the composition root connected before the delegate exists; all of it outlives it.
    struct Platform {
        OverlayCoordinator::Desktop engine;
        ResourceUsageProbe& usageProbe;
        GlobalHotKey& hotKey;
        GlobalClickMonitor* clickMonitor = nullptr;
        std::function<bool()> isCompositing;
        BuildFlavor flavor = BuildFlavor::development;
        UpdaterManager::ControllerFactory updateController;
        // The running executable; none when it cannot be located.
        std::optional<std::filesystem::path> executable;
        // The tray the status icon shows in; none where no tray can be watched.
        SystemTray* tray = nullptr;
    };

    static constexpr Seconds kDiagnosticsInterval{2.0};

    // Opens the defaults domain and builds the store, the update service, the navigation, the
    // monitor and last the settings (which only load).
    AppDelegate(Platform platform, ShellScreens screens);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // The launch handler. False when the program must quit at once (it runs from removable
    // media; the user has been told), with nothing started.
    bool applicationDidFinishLaunching();
    // Stops the crash uploads, the monitor and the engine.
    void applicationWillTerminate();
    // The application was launched again: the settings window shows on its current tab.
    void applicationShouldHandleReopen();
    // Shows the About window, building it on first use; does nothing without its content.
    void showAboutPanel();

    // An executable under /media/ or /run/media/ runs from removable media.
    static bool isOnRemovableMedia(const std::filesystem::path& executable);

    DimmingSettings& settings() const { return *settings_; }
    StatusBarController* statusBarController() const { return statusBarController_.get(); }

private:
    bool warnAndQuitIfRunningFromRemovableMedia();
    void setOverlayAccess(bool enabled);
    // The shell's components, then the first-launch actions.
    void wireShell(bool isFirstLaunch);
    ui::UiContext uiContext();

    Platform platform_;
    ShellScreens screens_;
    std::shared_ptr<UserDefaults> defaults_;
    std::shared_ptr<UserDefaults> standardDefaults_;
    std::shared_ptr<SettingsStore> store_;
    std::unique_ptr<UpdaterManager> updater_;
    SettingsNavigation settingsNavigation_;
    DimmingResourceMonitor resourceMonitor_;
    std::shared_ptr<DimmingSettings> settings_;
    std::shared_ptr<OverlayCoordinator> coordinator_;
    std::unique_ptr<SettingsWindowManaging> settingsWindowManager_;
    std::unique_ptr<StatusBarController> statusBarController_;
    std::unique_ptr<CrashReporting> crashReporting_;
    std::unique_ptr<OnboardingWindowManaging> onboardingWindowManager_;
    QPointer<QWidget> aboutWindow_;
    bool coordinatorIsRunning_ = false;
    // Callbacks reach the delegate through this, and find it gone once it is.
    std::shared_ptr<AppDelegate*> self_;
};

} // namespace tavrilux
