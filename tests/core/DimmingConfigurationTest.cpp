#include "core/settings/DimmingConfiguration.h"
#include "core/settings/Enums.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tavrilux {
namespace {

DimmingConfiguration withBlur(double blur) {
    return DimmingConfiguration(true, blur, 0.5, OverlayColor::black, 0.25, EffectMode::fullscreen,
                                0.5, 1.0, 0.35);
}

DimmingConfiguration withDuration(double duration) {
    return DimmingConfiguration(true, 0.0, 0.5, OverlayColor::black, 0.25, EffectMode::fullscreen,
                                0.5, duration, 0.35);
}

TEST(DimmingConfigurationTest, ClampsIntensitiesToUnitRange) {
    EXPECT_EQ(withBlur(-0.5).blurIntensity, 0.0);
    EXPECT_EQ(withBlur(1.0000001).blurIntensity, 1.0);
    EXPECT_EQ(withBlur(0.0).blurIntensity, 0.0);
    EXPECT_EQ(withBlur(1.0).blurIntensity, 1.0);
    EXPECT_EQ(withBlur(0.37).blurIntensity, 0.37);

    const DimmingConfiguration all(false, 2, -1, OverlayColor::black, 9, EffectMode::aura, 0.8, 1.0,
                                   -3);
    EXPECT_EQ(all.tintIntensity, 0.0);
    EXPECT_EQ(all.grainIntensity, 1.0);
    EXPECT_EQ(all.ambientFadeStart, 0.8) << "only the overlay view limits the fade start to 0.5";
    EXPECT_EQ(all.auraIntensity, 0.0);
    EXPECT_FALSE(all.isEnabled);
    EXPECT_EQ(all.effectMode, EffectMode::aura);
}

TEST(DimmingConfigurationTest, ClampsAppearanceDurationToItsOwnRange) {
    EXPECT_EQ(withDuration(0.1).appearanceDuration, 0.25);
    EXPECT_EQ(withDuration(0.25).appearanceDuration, 0.25);
    EXPECT_EQ(withDuration(2.0).appearanceDuration, 2.0);
    EXPECT_EQ(withDuration(5).appearanceDuration, 2.0);
    EXPECT_EQ(withDuration(0.0).appearanceDuration, 0.25);
    EXPECT_EQ(DimmingConfiguration::appearanceDurationRange.lower, 0.25);
    EXPECT_EQ(DimmingConfiguration::appearanceDurationRange.upper, 2.0);
}

TEST(DimmingConfigurationTest, NotANumberPassesThroughEveryClamp) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(std::isnan(withBlur(nan).blurIntensity));
    EXPECT_TRUE(std::isnan(withDuration(nan).appearanceDuration));
    EXPECT_TRUE(std::isnan(DimmingConfiguration::clampIntensity(nan)));
    EXPECT_TRUE(std::isnan(overlayAlpha(nan)));
    EXPECT_EQ(overlayAlpha(1.5), 1.0);
    EXPECT_EQ(overlayAlpha(-0.1), 0.0);
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(withBlur(inf).blurIntensity, 1.0);
    EXPECT_EQ(withBlur(-inf).blurIntensity, 0.0);
}

TEST(DimmingConfigurationTest, ColourIsNeverClampedAndComparesExactly) {
    const OverlayColor wild{1.7, -0.2, 3.0};
    const DimmingConfiguration config(true, 0, 0.5, wild, 0.25, EffectMode::fullscreen, 0.5, 1.0,
                                      0.35);
    EXPECT_EQ(config.overlayColor, wild);
    EXPECT_NE((OverlayColor{0.5, 0.5, 0.5}), (OverlayColor{0.5, 0.5, std::nextafter(0.5, 1.0)}));
}

TEST(DimmingConfigurationTest, EqualityIsExactPerField) {
    EXPECT_NE(withBlur(0.3), withBlur(std::nextafter(0.3, 1.0)));
    EXPECT_EQ(withBlur(0.3), withBlur(0.3));
    const DimmingConfiguration plusZero(true, 0.5, 0.5, OverlayColor{0.0, 0, 0}, 0.25,
                                        EffectMode::fullscreen, 0.5, 1.0, 0.35);
    const DimmingConfiguration minusZero(true, 0.5, 0.5, OverlayColor{-0.0, 0, 0}, 0.25,
                                         EffectMode::fullscreen, 0.5, 1.0, 0.35);
    EXPECT_EQ(plusZero, minusZero);
}

TEST(EnumsTest, RawValuesRoundTripAndAreCaseSensitive) {
    for (auto mode : kAllEffectModes) {
        EXPECT_EQ(enumFromRaw<EffectMode>(rawValue(mode)), mode);
    }
    for (auto mode : kAllFocusModes) {
        EXPECT_EQ(enumFromRaw<FocusMode>(rawValue(mode)), mode);
    }
    for (auto mode : kAllMultiScreenFocusModes) {
        EXPECT_EQ(enumFromRaw<MultiScreenFocusMode>(rawValue(mode)), mode);
    }
    EXPECT_EQ(enumFromRaw<EffectMode>("fullscreen"), EffectMode::fullscreen);
    EXPECT_EQ(enumFromRaw<FocusMode>("Focus"), std::nullopt);
    EXPECT_EQ(enumFromRaw<EffectMode>("Aura"), std::nullopt);
    EXPECT_EQ(enumFromRaw<MultiScreenFocusMode>(""), std::nullopt);
    EXPECT_EQ(rawValue(MultiScreenFocusMode::activeScreenOnly), "activeScreenOnly");
    EXPECT_EQ(kAllEffectModes[0], EffectMode::ambient);
    EXPECT_EQ(kAllFocusModes[3], FocusMode::custom);
}

} // namespace
} // namespace tavrilux
