#pragma once

#include <optional>
#include <string_view>

namespace tavrilux {

// The busy percentage in a driver's sysfs file ("37\n"): a whole number from 0 to 100, spaces
// and newlines around it allowed. Nothing for anything else.
std::optional<double> parseGpuBusyPercent(std::string_view text);

} // namespace tavrilux
