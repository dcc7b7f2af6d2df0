#include "core/theme/LegibleColor.h"

#include <gtest/gtest.h>

namespace tavrilux {
namespace {

Rgba rgb(int r, int g, int b) {
    return Rgba{r / 255.0, g / 255.0, b / 255.0};
}

const Rgba kWhite = rgb(255, 255, 255);
const Rgba kBlack = rgb(0, 0, 0);

TEST(LegibleColorTest, ContrastAsWcagMeasuresIt) {
    // Published ratios: black on white, #777 and #767676 on white, pure red on white and black,
    // and the dark tray's grey against black.
    EXPECT_NEAR(LegibleColor::contrast(kBlack, kWhite), 21.0, 0.01);
    EXPECT_NEAR(LegibleColor::contrast(rgb(0x77, 0x77, 0x77), kWhite), 4.48, 0.01);
    EXPECT_NEAR(LegibleColor::contrast(kWhite, rgb(0x76, 0x76, 0x76)), 4.54, 0.01);
    EXPECT_NEAR(LegibleColor::contrast(rgb(255, 0, 0), kWhite), 4.00, 0.01);
    EXPECT_NEAR(LegibleColor::contrast(rgb(255, 0, 0), kBlack), 5.25, 0.01);
    EXPECT_NEAR(LegibleColor::contrast(kBlack, rgb(31, 31, 31)), 1.27, 0.01);
    EXPECT_DOUBLE_EQ(LegibleColor::contrast(rgb(40, 90, 200), rgb(40, 90, 200)), 1.0);
    EXPECT_DOUBLE_EQ(LegibleColor::relativeLuminance(kBlack), 0.0);
    EXPECT_DOUBLE_EQ(LegibleColor::relativeLuminance(kWhite), 1.0);
}

TEST(LegibleColorTest, KeepsThePreferredColourWhereItStandsOutElseWhiteOrBlack) {
    const struct {
        const char* what;
        Rgba background;
        Rgba preferred;
        Rgba expected;
    } cases[] = {
        {"light tray, dark text", rgb(237, 237, 237), kBlack, kBlack},
        {"light tray, light text", rgb(237, 237, 237), kWhite, kBlack},
        {"white tray, light grey", kWhite, rgb(204, 204, 204), kBlack},
        {"dark tray, dark text", rgb(31, 31, 31), kBlack, kWhite},
        {"dark tray, light text", rgb(31, 31, 31), kWhite, kWhite},
        {"black tray, dark grey", kBlack, rgb(60, 60, 60), kWhite},
        {"mid-grey tray, dark text", rgb(128, 128, 128), kBlack, kBlack},
        {"mid-grey tray, light text", rgb(128, 128, 128), kWhite, kWhite},
        {"mid-grey tray, its own grey", rgb(128, 128, 128), rgb(140, 140, 140), kBlack},
        {"darker grey tray, its own grey", rgb(100, 100, 100), rgb(90, 90, 90), kWhite},
        {"dark tray, orange", rgb(31, 31, 31), rgb(255, 128, 0), rgb(255, 128, 0)},
        {"orange tray, orange", rgb(255, 128, 0), rgb(250, 120, 10), kBlack},
        {"blue tray, dark blue", rgb(30, 60, 200), rgb(20, 30, 120), kWhite},
        // #949494 is the lightest grey with 3:1 on white, #959595 the first without.
        {"white tray, just enough", kWhite, rgb(0x94, 0x94, 0x94), rgb(0x94, 0x94, 0x94)},
        {"white tray, just too light", kWhite, rgb(0x95, 0x95, 0x95), kBlack},
    };
    for (const auto& c : cases) {
        const Rgba chosen = LegibleColor::on(c.background, c.preferred);
        EXPECT_EQ(chosen, c.expected) << c.what;
        EXPECT_GE(LegibleColor::contrast(chosen, c.background), LegibleColor::kMinimumContrast)
            << c.what;
    }
}

TEST(LegibleColorTest, EveryGreyBackgroundGetsAGlyphOfAtLeastThreeToOne) {
    for (int v = 0; v <= 255; ++v) {
        const Rgba background = rgb(v, v, v);
        for (const Rgba& preferred : {kBlack, kWhite, rgb(255, 128, 0)}) {
            EXPECT_GE(LegibleColor::contrast(LegibleColor::on(background, preferred), background),
                      3.0)
                << v;
        }
        // Given up, the preferred colour makes way for the better of white and black: at least
        // 4.5:1 even on the grey where both stand out equally.
        EXPECT_GE(LegibleColor::contrast(LegibleColor::on(background, background), background), 4.5)
            << v;
    }
}

} // namespace
} // namespace tavrilux
