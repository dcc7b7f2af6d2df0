#pragma once

#include "core/settings/Enums.h"
#include "core/theme/Rgba.h"

#include <string>
#include <string_view>

namespace tavrilux {

// The texts, symbols and accents the screens show for the modes. Symbol names are those of the
// symbol set the interface draws; accents name a colour of the theme.

std::string displayName(EffectMode mode);
std::string displayName(FocusMode mode);
std::string_view systemImage(FocusMode mode);
// The theme's focusAccent, flowAccent, eveningAccent or customAccent.
Rgba accentColor(FocusMode mode);

} // namespace tavrilux
