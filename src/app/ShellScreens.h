#pragma once

#include "core/navigation/SettingsTab.h"
#include "ui/foundation/UiContext.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace tavrilux {

// The quick panel's ways out. Each closes the panel, then opens the settings window (on its
// current tab, or on the About tab).
struct QuickPanelActions final {
    std::function<void()> openSettings;
    std::function<void()> openAbout;
};

// Owns the settings window: built once at launch, builds its window on first use and only ever
// hides it.
class SettingsWindowManaging {
public:
    SettingsWindowManaging() = default;
    virtual ~SettingsWindowManaging() = default;
    SettingsWindowManaging(const SettingsWindowManaging&) = delete;
    SettingsWindowManaging& operator=(const SettingsWindowManaging&) = delete;

    // Shows the window, switching to `tab` first when one is given.
    virtual void showSettingsWindow(std::optional<SettingsTab> tab) = 0;
};

// Owns the first-launch onboarding window.
class OnboardingWindowManaging {
public:
    OnboardingWindowManaging() = default;
    virtual ~OnboardingWindowManaging() = default;
    OnboardingWindowManaging(const OnboardingWindowManaging&) = delete;
    OnboardingWindowManaging& operator=(const OnboardingWindowManaging&) = delete;

    virtual void show() = 0;
};

// The screens the shell shows but does not build itself; the launch handler calls each factory
// at its turn. Any may be empty: the shell then goes without that screen and the menu item that
// would open it is disabled.
struct ShellScreens final {
    // A new quick panel each time the panel opens.
    std::function<std::unique_ptr<QWidget>(const ui::UiContext&, QuickPanelActions)> quickPanel;
    // The settings window's owner, given the opener of the About window.
    std::function<std::unique_ptr<SettingsWindowManaging>(const ui::UiContext&,
                                                          std::function<void()> showAboutPanel)>
        settingsWindowManager;
    // The About window's content, built once on first use.
    std::function<std::unique_ptr<QWidget>()> aboutPanel;
    // The onboarding window's owner, given the opener of the quick panel for when it completes.
    std::function<std::unique_ptr<OnboardingWindowManaging>(const ui::UiContext&,
                                                            std::function<void()> showQuickPanel)>
        onboardingWindowManager;
    // Asks for start at login, on a first launch only, before the onboarding shows; reports its
    // own failure and never stops the launch.
    std::function<void()> enableLoginItem;
};

} // namespace tavrilux
