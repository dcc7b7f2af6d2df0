#include "core/theme/TavriluxTheme.h"

#include <gtest/gtest.h>

#include <set>

namespace tavrilux {
namespace {

OverlayColor over255(int r, int g, int b) {
    return OverlayColor{r / 255.0, g / 255.0, b / 255.0};
}

TEST(TavriluxThemeTest, PaletteHasNineFamiliesOfFourExactShadesInOrder) {
    const auto& swatches = TavriluxTheme::glassColorSwatches();
    ASSERT_EQ(swatches.size(), 36u);
    const char* families[] = {"Red",  "Orange",  "Lime",  "Emerald", "Cyan",
                              "Blue", "Fuchsia", "Slate", "Neutral"};
    const int shades[] = {400, 500, 600, 700};
    std::set<std::string> ids;
    for (std::size_t i = 0; i < swatches.size(); ++i) {
        const auto& s = swatches[i];
        EXPECT_EQ(s.family, families[i / 4]) << i;
        EXPECT_EQ(s.shade, shades[i % 4]) << i;
        ids.insert(s.id());
        for (double c : {s.color.red, s.color.green, s.color.blue}) {
            const double n = c * 255.0;
            EXPECT_EQ(n, static_cast<double>(static_cast<int>(n + 0.5))) << s.id();
        }
    }
    EXPECT_EQ(ids.size(), 36u) << "ids are unique";
    EXPECT_EQ(swatches[20].id(), "Blue-400");
    EXPECT_EQ(swatches[20].color, over255(96, 165, 250));
    EXPECT_EQ(swatches[32].color, over255(255, 255, 255)) << "Neutral 400 is pure white";
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
