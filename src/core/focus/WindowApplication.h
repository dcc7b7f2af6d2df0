#pragma once

#include "core/focus/Identifiers.h"

#include <functional>
#include <optional>
#include <string>

namespace tavrilux {

// The answer of the application lookup for one process: present only for a running application
// whose activation policy is regular.
struct WindowApplication final {
    std::optional<std::string> bundleIdentifier;

    friend bool operator==(const WindowApplication&, const WindowApplication&) = default;
};

using ApplicationLookup = std::function<std::optional<WindowApplication>(ProcessID)>;

} // namespace tavrilux
