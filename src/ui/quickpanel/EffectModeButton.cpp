#include "ui/quickpanel/EffectModeButton.h"

#include "core/localization/ModeDisplay.h"
#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Symbols.h"

namespace tavrilux::ui {

namespace {
std::string_view symbolOf(EffectMode mode) {
    switch (mode) {
    case EffectMode::ambient:
        return symbolName("sun.max.fill");
    case EffectMode::aura:
        return symbolName("wand.and.rays");
    case EffectMode::fullscreen:
        return symbolName("rectangle.expand.vertical");
    }
    return symbolName("rectangle.expand.vertical");
}

Rgba accentOf(EffectMode mode) {
    switch (mode) {
    case EffectMode::ambient:
        return TavriluxTheme::ambientAccent;
    case EffectMode::aura:
        return TavriluxTheme::auraAccent;
    case EffectMode::fullscreen:
        return TavriluxTheme::fullscreenAccent;
    }
    return TavriluxTheme::fullscreenAccent;
}
} // namespace

EffectModeButton::EffectModeButton(EffectMode mode, QWidget* parent)
    : SelectorButton(symbolOf(mode), QString::fromStdString(displayName(mode)), accentOf(mode),
                     parent),
      mode_(mode) {}

} // namespace tavrilux::ui
