#pragma once

#include "app/OwnWindowPresses.h"
#include "app/PopoverWindow.h"
#include "app/ShellScreens.h"
#include "core/diagnostics/StandardErrorLog.h"
#include "core/platform/GlobalClickMonitor.h"
#include "core/platform/GlobalHotKey.h"
#include "core/platform/SystemTray.h"
#include "core/reactive/Subscription.h"
#include "core/settings/DimmingSettings.h"

#include <QColor>
#include <QElapsedTimer>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>
#include <optional>

namespace tavrilux {

// The application's presence in the tray: the status icon (the umbrella with a green or red dot
// that follows isEnabled), the quick panel that a left click opens and closes, the menu of a
// right click or a Ctrl+left click, and the global hot key Alt+Super+O that toggles dimming.
//
// The panel is built anew each time it opens. While it shows, the global click monitor is armed
// and a press of any button (not the wheel) outside our windows and outside the icon closes it;
// every way of closing it disarms the monitor. Lives as long as the application delegate. Main
// thread only.
class StatusBarController final : public QObject {
    Q_OBJECT
public:
    using PanelFactory = std::function<std::unique_ptr<QWidget>(QuickPanelActions)>;

    struct Environment {
        std::shared_ptr<DimmingSettings> settings;
        GlobalHotKey& hotKey;
        // None when the desktop cannot report clicks: the panel then closes only through us.
        GlobalClickMonitor* clickMonitor = nullptr;
        PanelFactory makePanel;
        // Whether the panel's window may be translucent (a compositor runs).
        std::function<bool()> isCompositing;
        // The tray whose colours the umbrella takes where it names them; none: no tray names
        // any.
        SystemTray* tray = nullptr;
        LogSink log = writeStandardErrorLine;
        // What the tray shows behind the icon, asked after the icon was painted; none when it
        // cannot be read. Without named colours the umbrella stands out from it.
        std::function<std::optional<QColor>(const QSystemTrayIcon&)> iconBackdrop;
    };
    // What the menu and the panel open; an empty one disables its menu item.
    struct Callbacks {
        std::function<void()> onOpenSettings;
        std::function<void()> onOpenAbout;
        // The About window (the menu's About item).
        std::function<void()> onShowAboutPanel;
    };

    // Registers the hot key, then shows the status icon.
    StatusBarController(Environment environment, Callbacks callbacks);
    ~StatusBarController() override;

    // Opens the quick panel against the icon, or closes it when it shows.
    void togglePopover();
    // Opens the quick panel unless it shows already.
    void showPopover();
    void showContextMenu();

    bool isPopoverShown() const;
    PopoverWindow* popover() const { return popover_.data(); }
    QMenu* contextMenu() const { return menu_.data(); }
    QSystemTrayIcon& statusItem() { return statusItem_; }

private:
    enum class ClickAction { togglePanel, showMenu, none };

    // How a click on the icon is handled.
    static ClickAction actionFor(QSystemTrayIcon::ActivationReason reason,
                                 Qt::KeyboardModifiers modifiers);
    void registerToggleHotKey();
    // The keyboard changed and the hot key was claimed anew with `status`.
    void followHotKeyKeymap(int status);
    void logHotKeyStatus();
    void toggleFromHotKey();
    void refreshGlyph(std::optional<bool> isEnabled);
    // The umbrella's colour: the tray's, else one that stands out from what lies behind it.
    QColor umbrellaColour() const;
    // Reads what lies behind the icon once the paint under way has reached the screen.
    void lookBehindIconSoon();
    void lookBehindIcon();
    void handleClick(QSystemTrayIcon::ActivationReason reason);
    void handlePress(const GlobalClickMonitor::Press& press);
    void closePopover();

    static constexpr qint64 kSameClickMs = 400;

    Environment env_;
    Callbacks callbacks_;
    QSystemTrayIcon statusItem_;
    QPointer<PopoverWindow> popover_;
    QPointer<QMenu> menu_;
    QElapsedTimer closedByPress_;
    OwnWindowPresses ownPresses_;
    bool hotKeyRegistered_ = false;
    // What the hot key's registration, or its last keymap change, returned.
    int hotKeyStatus_ = 0;
    // What the tray last showed behind the icon; none when it could not be read.
    std::optional<QColor> backdrop_;
    bool lookPending_ = false;
    Subscription enabledSubscription_;
};

} // namespace tavrilux
