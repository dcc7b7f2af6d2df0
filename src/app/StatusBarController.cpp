#include "app/StatusBarController.h"

#include "app/StatusGlyph.h"
#include "core/localization/LocalizationManager.h"
#include "core/theme/LegibleColor.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/LocalizedText.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <string>

namespace tavrilux {

namespace {
using ui::text;

Rgba toRgba(const QColor& colour) {
    return Rgba{colour.redF(), colour.greenF(), colour.blueF(), colour.alphaF()};
}

} // namespace

StatusBarController::StatusBarController(Environment environment, Callbacks callbacks)
    : env_(std::move(environment)), callbacks_(std::move(callbacks)) {
    registerToggleHotKey();
    if (env_.tray != nullptr) {
        QPointer<StatusBarController> self(this);
        env_.tray->setChangeHandler([self] {
            if (self) {
                self->refreshGlyph(std::nullopt);
            }
        });
    }
    connect(&statusItem_, &QSystemTrayIcon::activated, this, &StatusBarController::handleClick);
    statusItem_.setToolTip(text("app_name"));
    refreshGlyph(std::nullopt);
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        env_.log("tavrilux: no system tray is running; the status icon shows once one starts, "
                 "and Alt+Super+O toggles dimming meanwhile");
    }
    statusItem_.show();
    enabledSubscription_ =
        env_.settings->isEnabled.sink([this](const bool& enabled) { refreshGlyph(enabled); });
    // A panel left on a display that went away would float nowhere.
    connect(qApp, &QGuiApplication::screenRemoved, this, &StatusBarController::closePopover);
}

StatusBarController::~StatusBarController() {
    if (env_.tray != nullptr) {
        env_.tray->setChangeHandler(nullptr);
    }
    closePopover();
    delete popover_.data();
    delete menu_.data();
    if (hotKeyRegistered_) {
        env_.hotKey.unregisterHotKey();
    }
}

StatusBarController::ClickAction
StatusBarController::actionFor(QSystemTrayIcon::ActivationReason reason,
                               Qt::KeyboardModifiers modifiers) {
    switch (reason) {
    case QSystemTrayIcon::Context:
        return ClickAction::showMenu;
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::DoubleClick: // the second click of a quick pair
        return modifiers.testFlag(Qt::ControlModifier) ? ClickAction::showMenu
                                                       : ClickAction::togglePanel;
    default:
        return ClickAction::none;
    }
}

void StatusBarController::registerToggleHotKey() {
    QPointer<StatusBarController> self(this);
    hotKeyStatus_ = env_.hotKey.registerHotKey(
        [self] {
            if (StatusBarController* controller = self.data()) {
                controller->toggleFromHotKey();
            }
        },
        [self](int status) {
            if (StatusBarController* controller = self.data()) {
                controller->followHotKeyKeymap(status);
            }
        });
    // Without an O key the registration stands and waits for one.
    hotKeyRegistered_ = hotKeyStatus_ == 0 || hotKeyStatus_ == GlobalHotKey::kNoKey;
    logHotKeyStatus();
}

void StatusBarController::followHotKeyKeymap(int status) {
    if (hotKeyStatus_ == GlobalHotKey::kNoKey && status != GlobalHotKey::kNoKey) {
        env_.log("[HotKey] O is on the keyboard now");
    }
    hotKeyStatus_ = status;
    logHotKeyStatus();
}

void StatusBarController::logHotKeyStatus() {
    if (hotKeyStatus_ == 0) {
        env_.log("[HotKey] Registered Alt+Super+O");
    } else if (hotKeyStatus_ == GlobalHotKey::kNoKey) {
        env_.log("[HotKey] O is not on the keyboard; Alt+Super+O waits for it");
    } else {
        env_.log("[HotKey] RegisterEventHotKey failed: " + std::to_string(hotKeyStatus_));
    }
}

void StatusBarController::toggleFromHotKey() {
    env_.log("[HotKey] Alt+Super+O toggled dimming");
    DimmingSettings& settings = *env_.settings;
    settings.setIsEnabled(!settings.isEnabled.get());
}

void StatusBarController::refreshGlyph(std::optional<bool> isEnabled) {
    // Asked at every paint, which is also when the tray may show something else behind it (the
    // icon embedded in a new tray).
    QPointer<StatusBarController> self(this);
    statusItem_.setIcon(
        StatusGlyph::icon(isEnabled.value_or(env_.settings->isEnabled.get()), [self] {
            if (!self) {
                return QGuiApplication::palette().color(QPalette::WindowText);
            }
            self->lookBehindIconSoon();
            return self->umbrellaColour();
        }));
}

QColor StatusBarController::umbrellaColour() const {
    if (const auto named = env_.tray != nullptr ? env_.tray->iconForeground() : std::nullopt) {
        return ui::toQColor(*named);
    }
    const QPalette palette = QGuiApplication::palette();
    const QColor behind = backdrop_.value_or(palette.color(QPalette::Window));
    return ui::toQColor(
        LegibleColor::on(toRgba(behind), toRgba(palette.color(QPalette::WindowText))));
}

void StatusBarController::lookBehindIconSoon() {
    if (lookPending_ || !env_.iconBackdrop) {
        return;
    }
    lookPending_ = true;
    // Queued: the paint is on screen only once the toolkit has flushed it, after this event.
    QMetaObject::invokeMethod(this, &StatusBarController::lookBehindIcon, Qt::QueuedConnection);
}

void StatusBarController::lookBehindIcon() {
    const QColor before = umbrellaColour();
    // Reading may paint the icon again; that paint asks for no other look.
    backdrop_ = env_.iconBackdrop(statusItem_);
    lookPending_ = false;
    // The reading leaves the glyph's own pixels out, so a repaint in the new colour reads the
    // same and ends here.
    if (umbrellaColour() != before) {
        refreshGlyph(std::nullopt);
    }
}

void StatusBarController::handleClick(QSystemTrayIcon::ActivationReason reason) {
    switch (actionFor(reason, QGuiApplication::queryKeyboardModifiers())) {
    case ClickAction::togglePanel:
        // A tray that does not tell where the icon is (StatusNotifierItem) lets the click
        // monitor see the press on the icon first: that press closed the panel, and this click
        // is the same one.
        if (!statusItem_.geometry().isValid() && closedByPress_.isValid() &&
            closedByPress_.elapsed() < kSameClickMs) {
            break;
        }
        togglePopover();
        break;
    case ClickAction::showMenu:
        showContextMenu();
        break;
    case ClickAction::none:
        break;
    }
}

void StatusBarController::showContextMenu() {
    delete menu_.data();
    menu_ = new QMenu();
    menu_->setAttribute(Qt::WA_DeleteOnClose);
    const auto add = [this](std::string_view key, const std::function<void()>& action) {
        QAction* item = menu_->addAction(text(key));
        item->setEnabled(static_cast<bool>(action));
        connect(item, &QAction::triggered, this, [action] { action(); });
    };
    // X11 has no application menu: its About item comes first here.
    add("about_tavrilux", callbacks_.onShowAboutPanel);
    add("settings", callbacks_.onOpenSettings ? std::function<void()>([this] {
            closePopover();
            callbacks_.onOpenSettings();
        })
                                              : nullptr);
    menu_->addSeparator();
    add("quit", [] { QCoreApplication::quit(); });
    menu_->popup(QCursor::pos());
}

bool StatusBarController::isPopoverShown() const {
    const PopoverWindow* shown = popover_.data();
    return shown != nullptr && shown->isVisible();
}

void StatusBarController::showPopover() {
    if (!isPopoverShown()) {
        togglePopover();
    }
}

void StatusBarController::togglePopover() {
    if (isPopoverShown()) {
        closePopover();
        return;
    }
    QPointer<StatusBarController> self(this);
    const auto closingThen = [self](std::function<void()> StatusBarController::Callbacks::*which) {
        return [self, which] {
            if (!self) {
                return;
            }
            self->closePopover();
            if (const auto& callback = self->callbacks_.*which) {
                callback();
            }
        };
    };
    auto panel = env_.makePanel
                     ? env_.makePanel(QuickPanelActions{closingThen(&Callbacks::onOpenSettings),
                                                        closingThen(&Callbacks::onOpenAbout)})
                     : nullptr;
    if (!panel) {
        return;
    }
    if (popover_) {
        popover_->deleteLater();
    }
    popover_ = new PopoverWindow(std::move(panel), env_.isCompositing && env_.isCompositing());
    QRect anchor = statusItem_.geometry();
    if (!anchor.isValid()) {
        anchor = QRect(QCursor::pos(), QSize(1, 1));
    }
    popover_->showAgainst(anchor);
    if (env_.clickMonitor != nullptr) {
        env_.clickMonitor->arm([self](const GlobalClickMonitor::Press& press) {
            if (self) {
                self->handlePress(press);
            }
        });
    }
}

void StatusBarController::handlePress(const GlobalClickMonitor::Press& press) {
    if (statusItem_.geometry().contains(QPoint(press.x, press.y))) {
        return; // the icon's own click toggles the panel
    }
    if (ownPresses_.contains(press)) {
        return;
    }
    closedByPress_.start();
    closePopover();
}

void StatusBarController::closePopover() {
    if (popover_) {
        popover_->hide();
        popover_->deleteLater();
        popover_.clear();
    }
    if (env_.clickMonitor != nullptr) {
        env_.clickMonitor->disarm();
    }
}

} // namespace tavrilux
