#include "app/AppDelegate.h"

#include "app/AboutWindow.h"
#include "app/ApplicationActivation.h"
#include "app/TrayIconBackdrop.h"

#include "core/defaults/DefaultsRegistry.h"
#include "core/localization/LocalizationManager.h"
#include "core/resources/AppIcons.h"
#include "ui/foundation/LocalizedText.h"

#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

namespace tavrilux {

namespace {
using ui::text;

// A callback that calls `action` on the delegate while it exists, and does nothing afterwards.
std::function<void()> weakly(const std::shared_ptr<AppDelegate*>& self,
                             std::function<void(AppDelegate&)> action) {
    return [weak = std::weak_ptr<AppDelegate*>(self), action = std::move(action)] {
        if (auto alive = weak.lock()) {
            action(**alive);
        }
    };
}

} // namespace

AppDelegate::AppDelegate(Platform platform, ShellScreens screens)
    : platform_(std::move(platform)), screens_(std::move(screens)),
      defaults_(SettingsStore::openDefaults(DefaultsRegistry::shared())),
      standardDefaults_(DefaultsRegistry::shared().standard()),
      store_(std::make_shared<SettingsStore>(defaults_)),
      updater_(std::make_unique<UpdaterManager>(platform_.flavor, platform_.updateController)),
      resourceMonitor_(platform_.engine.queue, platform_.usageProbe),
      settings_(
          DimmingSettings::create(store_, platform_.engine.workspace, platform_.engine.queue)),
      self_(std::make_shared<AppDelegate*>(this)) {}

AppDelegate::~AppDelegate() {
    self_.reset();
    applicationWillTerminate();
    delete aboutWindow_.data();
}

bool AppDelegate::isOnRemovableMedia(const std::filesystem::path& executable) {
    const std::string path = executable.string();
    return path.starts_with("/media/") || path.starts_with("/run/media/");
}

bool AppDelegate::applicationDidFinishLaunching() {
    if (warnAndQuitIfRunningFromRemovableMedia()) {
        return false;
    }
    if (const auto& icon = AppIcons::appIcon()) {
        QPixmap pixmap;
        if (pixmap.loadFromData(reinterpret_cast<const uchar*>(icon->pngData.data()),
                                static_cast<uint>(icon->pngData.size()), "PNG")) {
            QApplication::setWindowIcon(QIcon(pixmap));
        }
    }
    // Before anything below can save the settings.
    const bool isFirstLaunch = store_->isFirstLaunch();
    coordinator_ = OverlayCoordinator::create(settings_, platform_.engine);
    setOverlayAccess(true);
    resourceMonitor_.start(kDiagnosticsInterval,
                           [weak = std::weak_ptr<OverlayCoordinator>(coordinator_)] {
                               if (auto alive = weak.lock()) {
                                   return OverlayCounts{alive->overlayCount(), 0};
                               }
                               return OverlayCounts{};
                           });
    wireShell(isFirstLaunch);
    return true;
}

bool AppDelegate::warnAndQuitIfRunningFromRemovableMedia() {
    if (!platform_.executable || !isOnRemovableMedia(*platform_.executable)) {
        return false;
    }
    QMessageBox alert;
    alert.setIcon(QMessageBox::Warning);
    alert.setWindowTitle(text("app_name"));
    alert.setText(text("alert_move_to_applications_title"));
    alert.setInformativeText(text("alert_move_to_applications_message"));
    alert.addButton(text("quit"), QMessageBox::AcceptRole);
    alert.exec();
    return true;
}

void AppDelegate::setOverlayAccess(bool enabled) {
    if (enabled == coordinatorIsRunning_) {
        return;
    }
    coordinatorIsRunning_ = enabled;
    if (coordinator_) {
        if (enabled) {
            coordinator_->start();
        } else {
            coordinator_->tearDown();
        }
    }
}

ui::UiContext AppDelegate::uiContext() {
    return ui::UiContext{*settings_,
                         *updater_,
                         settingsNavigation_,
                         LocalizationManager::shared(),
                         *standardDefaults_,
                         platform_.engine.screens,
                         platform_.engine.applications};
}

void AppDelegate::wireShell(bool isFirstLaunch) {
    if (screens_.settingsWindowManager) {
        settingsWindowManager_ = screens_.settingsWindowManager(
            uiContext(), weakly(self_, [](AppDelegate& d) { d.showAboutPanel(); }));
    }
    const auto openSettingsOn = [this](std::optional<SettingsTab> tab) -> std::function<void()> {
        if (!settingsWindowManager_) {
            return nullptr;
        }
        return weakly(self_,
                      [tab](AppDelegate& d) { d.settingsWindowManager_->showSettingsWindow(tab); });
    };
    StatusBarController::PanelFactory makePanel;
    if (screens_.quickPanel) {
        makePanel = [quickPanel = screens_.quickPanel, context = uiContext()](
                        QuickPanelActions actions) { return quickPanel(context, actions); };
    }
    statusBarController_ = std::make_unique<StatusBarController>(
        StatusBarController::Environment{settings_, platform_.hotKey, platform_.clickMonitor,
                                         std::move(makePanel), platform_.isCompositing,
                                         platform_.tray, writeStandardErrorLine,
                                         TrayIconBackdrop::read},
        StatusBarController::Callbacks{
            openSettingsOn(std::nullopt), openSettingsOn(SettingsTab::about),
            screens_.aboutPanel ? weakly(self_, [](AppDelegate& d) { d.showAboutPanel(); })
                                : nullptr});
    // Hands over what earlier runs recorded once the loop runs.
    crashReporting_ = std::make_unique<CrashReporting>(settings_, defaults_);
    if (screens_.onboardingWindowManager) {
        onboardingWindowManager_ =
            screens_.onboardingWindowManager(uiContext(), weakly(self_, [](AppDelegate& d) {
                                                 if (d.statusBarController_) {
                                                     d.statusBarController_->showPopover();
                                                 }
                                             }));
    }
    if (isFirstLaunch) {
        if (screens_.enableLoginItem) {
            screens_.enableLoginItem();
        }
        if (onboardingWindowManager_) {
            onboardingWindowManager_->show();
        }
    }
}

void AppDelegate::applicationWillTerminate() {
    statusBarController_.reset();
    crashReporting_.reset();
    resourceMonitor_.stop();
    if (coordinator_) {
        coordinator_->tearDown();
    }
}

void AppDelegate::applicationShouldHandleReopen() {
    if (settingsWindowManager_) {
        settingsWindowManager_->showSettingsWindow(std::nullopt);
    }
}

void AppDelegate::showAboutPanel() {
    if (!aboutWindow_) {
        auto content = screens_.aboutPanel ? screens_.aboutPanel() : nullptr;
        if (!content) {
            return;
        }
        aboutWindow_ = new AboutWindow(std::move(content));
        aboutWindow_->setWindowTitle(text("about_tavrilux"));
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            aboutWindow_->move(screen->geometry().center() - aboutWindow_->rect().center());
        }
    }
    ApplicationActivation::present(*aboutWindow_);
}

} // namespace tavrilux
