#include "core/settings/FocusPresets.h"

#include "core/theme/TavriluxTheme.h"

namespace tavrilux {

std::optional<DimmingConfiguration> presetConfiguration(FocusMode mode) {
    switch (mode) {
    case FocusMode::focus:
        return DimmingConfiguration(true, 0.1, 0.7, TavriluxTheme::glassColor("Neutral", 700), 0.0,
                                    EffectMode::fullscreen, 0.5, 0.4, 0.35);
    case FocusMode::flow:
        return DimmingConfiguration(true, 0.18, 0.4, TavriluxTheme::glassColor("Blue", 400), 0.2,
                                    EffectMode::ambient, 0.25, 0.5, 0.35);
    case FocusMode::evening:
        return DimmingConfiguration(true, 0.4, 0.15, TavriluxTheme::glassColor("Orange", 600), 0.1,
                                    EffectMode::aura, 0.5, 1.0, 0.7);
    case FocusMode::custom:
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace tavrilux
