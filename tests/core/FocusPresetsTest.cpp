#include "core/settings/FocusPresets.h"
#include "core/theme/TavriluxTheme.h"

#include <gtest/gtest.h>

namespace tavrilux {
namespace {

OverlayColor over255(int r, int g, int b) {
    return OverlayColor{r / 255.0, g / 255.0, b / 255.0};
}

TEST(FocusPresetsTest, CustomHasNoPreset) {
    EXPECT_EQ(presetConfiguration(FocusMode::custom), std::nullopt);
}

TEST(FocusPresetsTest, PresetsCarryTheirLooks) {
    const auto focus = presetConfiguration(FocusMode::focus);
    ASSERT_TRUE(focus);
    EXPECT_EQ(*focus, DimmingConfiguration(true, 0.1, 0.7, over255(23, 23, 23), 0.0,
                                           EffectMode::fullscreen, 0.5, 0.4, 0.35));
    const auto flow = presetConfiguration(FocusMode::flow);
    ASSERT_TRUE(flow);
    EXPECT_EQ(*flow, DimmingConfiguration(true, 0.18, 0.4, over255(96, 165, 250), 0.2,
                                          EffectMode::ambient, 0.25, 0.5, 0.35));
    const auto evening = presetConfiguration(FocusMode::evening);
    ASSERT_TRUE(evening);
    EXPECT_EQ(*evening, DimmingConfiguration(true, 0.4, 0.15, over255(234, 88, 12), 0.1,
                                             EffectMode::aura, 0.5, 1.0, 0.7));
}

TEST(FocusPresetsTest, FlowColourIsExactlyTheBlue400Swatch) {
    const auto& swatches = TavriluxTheme::glassColorSwatches();
    const auto it = std::find_if(swatches.begin(), swatches.end(),
                                 [](const auto& s) { return s.id() == "Blue-400"; });
    ASSERT_NE(it, swatches.end());
    EXPECT_EQ(presetConfiguration(FocusMode::flow)->overlayColor, it->color);
}

} // namespace
} // namespace tavrilux
