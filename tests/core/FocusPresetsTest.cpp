#include "core/settings/FocusPresets.h"
#include "core/theme/TavriluxTheme.h"

#include <gtest/gtest.h>

namespace tavrilux {
namespace {

OverlayColor over255(int r, int g, int b) {
    return OverlayColor{r / 255.0, g / 255.0, b / 255.0};
}

TEST(FocusPresetsTest, PresetsCarryTheirLooksAndCustomHasNone) {
    EXPECT_EQ(presetConfiguration(FocusMode::custom), std::nullopt);
    EXPECT_EQ(presetConfiguration(FocusMode::focus),
              DimmingConfiguration(true, 0.1, 0.7, over255(23, 23, 23), 0.0, EffectMode::fullscreen,
                                   0.5, 0.4, 0.35));
    // The colour row shows the flow preset's colour as the selected swatch only if it is exact.
    EXPECT_EQ(presetConfiguration(FocusMode::flow),
              DimmingConfiguration(true, 0.18, 0.4, TavriluxTheme::glassColor("Blue", 400), 0.2,
                                   EffectMode::ambient, 0.25, 0.5, 0.35));
    EXPECT_EQ(presetConfiguration(FocusMode::evening),
              DimmingConfiguration(true, 0.4, 0.15, over255(234, 88, 12), 0.1, EffectMode::aura,
                                   0.5, 1.0, 0.7));
}

} // namespace
} // namespace tavrilux
