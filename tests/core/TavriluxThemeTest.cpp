#include "core/theme/TavriluxTheme.h"
#include "core/settings/FocusPresets.h"

#include <gtest/gtest.h>

#include <set>

namespace tavrilux {
namespace {

OverlayColor over255(int r, int g, int b) {
    return OverlayColor{r / 255.0, g / 255.0, b / 255.0};
}

TEST(TavriluxThemeTest, PaletteHasNineFamiliesOfFourShadesInOrder) {
    const auto& swatches = TavriluxTheme::glassColorSwatches();
    ASSERT_EQ(swatches.size(), 36u);
    EXPECT_EQ(swatches.front().id(), "Red-400");
    EXPECT_EQ(swatches.back().id(), "Neutral-700");
    const char* families[] = {"Red",  "Orange",  "Lime",  "Emerald", "Cyan",
                              "Blue", "Fuchsia", "Slate", "Neutral"};
    const int shades[] = {400, 500, 600, 700};
    std::set<std::string> ids;
    for (std::size_t i = 0; i < swatches.size(); ++i) {
        EXPECT_EQ(swatches[i].family, families[i / 4]) << i;
        EXPECT_EQ(swatches[i].shade, shades[i % 4]) << i;
        ids.insert(swatches[i].id());
    }
    EXPECT_EQ(ids.size(), 36u) << "ids are unique";
}

TEST(TavriluxThemeTest, SwatchComponentsAreExactlyIntegersOver255) {
    const auto& swatches = TavriluxTheme::glassColorSwatches();
    const auto& blue400 = swatches[20];
    EXPECT_EQ(blue400.id(), "Blue-400");
    EXPECT_EQ(blue400.color, over255(96, 165, 250));
    EXPECT_EQ(swatches[32].color, over255(255, 255, 255)) << "Neutral 400 is pure white";
    EXPECT_EQ(swatches[6].color, over255(234, 88, 12));
    EXPECT_EQ(swatches[29].color, over255(100, 116, 139));
    for (const auto& s : swatches) {
        for (double c : {s.color.red, s.color.green, s.color.blue}) {
            const double n = c * 255.0;
            EXPECT_EQ(n, static_cast<double>(static_cast<int>(n + 0.5))) << s.id();
        }
    }
}

TEST(TavriluxThemeTest, GlassColorLooksUpExactPairsAndFallsBackToBlack) {
    EXPECT_EQ(TavriluxTheme::glassColor("Neutral", 700), over255(23, 23, 23));
    EXPECT_EQ(TavriluxTheme::glassColor("Blue", 400), over255(96, 165, 250));
    EXPECT_EQ(TavriluxTheme::glassColor("Orange", 600), over255(234, 88, 12));
    EXPECT_EQ(TavriluxTheme::glassColor("blue", 400), OverlayColor::black) << "case-sensitive";
    EXPECT_EQ(TavriluxTheme::glassColor("Blue", 450), OverlayColor::black);
    EXPECT_EQ(TavriluxTheme::glassColor("", 0), OverlayColor::black);
}

TEST(TavriluxThemeTest, AdaptiveColoursResolveByAppearanceName) {
    EXPECT_EQ(TavriluxTheme::primaryText.resolve("dark"), (Rgba{1, 1, 1, 1}));
    EXPECT_EQ(TavriluxTheme::divider.resolve("dark"), (Rgba{1, 1, 1, 0.1}));
    EXPECT_EQ(TavriluxTheme::divider.resolve("light"), (Rgba{0, 0, 0, 0.1}));
    EXPECT_EQ(TavriluxTheme::secondaryText.resolve("dark"), (Rgba{1, 1, 1, 0.55}));
    EXPECT_EQ(TavriluxTheme::background.resolve("light"), (Rgba{0.94, 0.95, 0.97, 1}));
    // Anything that is not the dark name draws the light variant.
    for (const char* name : {"", "Dark", "highContrast", "light"}) {
        EXPECT_EQ(TavriluxTheme::surface.resolve(name), (Rgba{0, 0, 0, 0.06})) << name;
    }
    EXPECT_EQ(TavriluxTheme::surfaceBorder.resolve("dark"), (Rgba{1, 1, 1, 0.15}));
}

TEST(TavriluxThemeTest, FixedColoursAreOpaqueSrgb) {
    EXPECT_EQ(TavriluxTheme::accent, (Rgba{10 / 255.0, 132 / 255.0, 1.0, 1.0}));
    EXPECT_EQ(TavriluxTheme::eveningAccent, (Rgba{1.0, 0.58, 0.2, 1.0}));
    EXPECT_EQ(TavriluxTheme::auraAccent.alpha, 1.0);
}

} // namespace
} // namespace tavrilux
