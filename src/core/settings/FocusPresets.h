#pragma once

#include "core/settings/DimmingConfiguration.h"
#include "core/settings/Enums.h"

#include <optional>

namespace tavrilux {

// The look a preset sets at once; none for FocusMode::custom, which stands for the user's own
// values. The focus preset is also the whole configuration of a first launch.
std::optional<DimmingConfiguration> presetConfiguration(FocusMode mode);

} // namespace tavrilux
