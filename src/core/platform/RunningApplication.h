#pragma once

#include <optional>
#include <string>

namespace tavrilux {

enum class ActivationPolicy { regular, accessory, prohibited };

// A running application as the desktop reports it. The bundle identifier is the application key:
// the identifier exclusions are stored under.
struct RunningApplication final {
    int processIdentifier = 0;
    std::optional<std::string> bundleIdentifier;
    std::string localizedName;
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    // Path of an icon image, empty when none is known.
    std::string iconPath;

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

} // namespace tavrilux
