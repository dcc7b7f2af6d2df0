#pragma once

#include "core/platform/ApplicationDirectory.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tavrilux {
class Screens;
} // namespace tavrilux

namespace tavrilux::ui {

// One excluded application as its row shows it: the installed application, or only its key.
struct ExcludedApp final {
    std::string key;
    std::optional<InstalledApplication> installed;

    friend bool operator==(const ExcludedApp&, const ExcludedApp&) = default;
};

// One excluded display: the name of the connected screen with that key, or none when it is not
// connected.
struct ExcludedDisplay final {
    std::string key;
    std::optional<std::string> connectedName;

    friend bool operator==(const ExcludedDisplay&, const ExcludedDisplay&) = default;
};

// The rows in plain string order (by code point, case-sensitive), each looked up afresh.
std::vector<ExcludedApp> excludedApps(const std::set<std::string>& keys,
                                      const ApplicationDirectory& directory);
// A key matches the first connected screen, in the desktop's order, whose display key equals it.
std::vector<ExcludedDisplay> excludedDisplays(const std::set<std::string>& keys,
                                              const Screens& screens);

} // namespace tavrilux::ui
