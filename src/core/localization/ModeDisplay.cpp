#include "core/localization/ModeDisplay.h"

#include "core/localization/LocalizationManager.h"
#include "core/theme/TavriluxTheme.h"

namespace tavrilux {

std::string displayName(EffectMode mode) {
    switch (mode) {
    case EffectMode::ambient:
        return L("effect_ambient");
    case EffectMode::aura:
        return L("effect_aura");
    case EffectMode::fullscreen:
        return L("effect_fullscreen");
    }
    return L("effect_fullscreen");
}

std::string displayName(FocusMode mode) {
    switch (mode) {
    case FocusMode::focus:
        return L("focus_mode_focus");
    case FocusMode::flow:
        return L("focus_mode_flow");
    case FocusMode::evening:
        return L("focus_mode_evening");
    case FocusMode::custom:
        return L("focus_mode_custom");
    }
    return L("focus_mode_custom");
}

std::string_view systemImage(FocusMode mode) {
    switch (mode) {
    case FocusMode::focus:
        return "scope";
    case FocusMode::flow:
        return "sparkles";
    case FocusMode::evening:
        return "moon.stars.fill";
    case FocusMode::custom:
        return "slider.horizontal.3";
    }
    return "slider.horizontal.3";
}

Rgba accentColor(FocusMode mode) {
    switch (mode) {
    case FocusMode::focus:
        return TavriluxTheme::focusAccent;
    case FocusMode::flow:
        return TavriluxTheme::flowAccent;
    case FocusMode::evening:
        return TavriluxTheme::eveningAccent;
    case FocusMode::custom:
        return TavriluxTheme::customAccent;
    }
    return TavriluxTheme::customAccent;
}

} // namespace tavrilux
