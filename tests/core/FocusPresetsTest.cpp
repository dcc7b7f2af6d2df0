#include "core/settings/FocusPresets.h"

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
    // Blue 400 of the glass palette.
    EXPECT_EQ(presetConfiguration(FocusMode::flow),
              DimmingConfiguration(true, 0.18, 0.4, over255(96, 165, 250), 0.2, EffectMode::ambient,
                                   0.25, 0.5, 0.35));
    EXPECT_EQ(presetConfiguration(FocusMode::evening),
              DimmingConfiguration(true, 0.4, 0.15, over255(234, 88, 12), 0.1, EffectMode::aura,
                                   0.5, 1.0, 0.7));
}

} // namespace
} // namespace tavrilux
