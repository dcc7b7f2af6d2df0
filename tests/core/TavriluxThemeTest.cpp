#include "core/theme/TavriluxTheme.h"

#include <gtest/gtest.h>

#include <set>

namespace tavrilux {
namespace {

OverlayColor over255(int r, int g, int b) {
    return OverlayColor{r / 255.0, g / 255.0, b / 255.0};
}

TEST(TavriluxThemeTest, GlassColorLooksUpExactPairsAndFallsBackToBlack) {
    EXPECT_EQ(TavriluxTheme::glassColor("Neutral", 700), over255(23, 23, 23));
    EXPECT_EQ(TavriluxTheme::glassColor("Orange", 600), over255(234, 88, 12));
    EXPECT_EQ(TavriluxTheme::glassColor("blue", 400), OverlayColor::black) << "case-sensitive";
    EXPECT_EQ(TavriluxTheme::glassColor("Blue", 450), OverlayColor::black);
    EXPECT_EQ(TavriluxTheme::glassColor("", 0), OverlayColor::black);
}

TEST(TavriluxThemeTest, AdaptiveColoursResolveByAppearanceName) {
    EXPECT_EQ(TavriluxTheme::primaryText.resolve("dark"), (Rgba{1, 1, 1, 1}));
    EXPECT_EQ(TavriluxTheme::divider.resolve("dark"), (Rgba{1, 1, 1, 0.1}));
    EXPECT_EQ(TavriluxTheme::divider.resolve("light"), (Rgba{0, 0, 0, 0.1}));
    // Anything that is not the dark name draws the light variant.
    for (const char* name : {"", "Dark", "highContrast", "light"}) {
        EXPECT_EQ(TavriluxTheme::surface.resolve(name), (Rgba{0, 0, 0, 0.06})) << name;
    }
}

} // namespace
} // namespace tavrilux
