#pragma once

namespace tavrilux {
class Applications;
class DimmingSettings;
class LocalizationManager;
class Screens;
class SettingsNavigation;
class UpdaterManager;
class UserDefaults;
} // namespace tavrilux

namespace tavrilux::ui {

// What every screen is handed at construction: the shared model objects and the desktop ports
// the screens read. The composition root owns all of them and keeps them alive for longer than
// any screen. Screens read here and write only through the model's setters; they observe
// changes through a ModelObserver. Main thread only.
struct UiContext final {
    DimmingSettings& settings;
    UpdaterManager& updater;
    SettingsNavigation& navigation;
    LocalizationManager& localization;
    // The standard domain: view flags such as the quick panel's folding state.
    UserDefaults& standardDefaults;
    // Connected displays (the multi-screen controls, the excluded displays).
    const Screens& screens;
    // Running applications (the frontmost application's details).
    const Applications& applications;
};

} // namespace tavrilux::ui
