#pragma once

#include <optional>
#include <string>

namespace tavrilux {
class ApplicationDirectory;
} // namespace tavrilux

namespace tavrilux::ui {

class BackgroundLoginItem;

// What the settings window reads besides the screen context. The composition root owns the
// services and keeps them alive for longer than the window.
struct SettingsServices final {
    // The release version; none in a development build (shown as "dev").
    std::optional<std::string> version;
    // Names and icons of excluded applications that are not running.
    const ApplicationDirectory& applications;
    // Start at login; calls run away from the main thread.
    BackgroundLoginItem& loginItem;
};

} // namespace tavrilux::ui
