#include "core/settings/DimmingConfiguration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tavrilux {
namespace {

DimmingConfiguration make(double blur, double duration = 1.0) {
    return DimmingConfiguration(true, blur, 0.5, OverlayColor::black, 0.25, EffectMode::fullscreen,
                                0.5, duration, 0.35);
}

TEST(DimmingConfigurationTest, ClampsIntensitiesToUnitRangeAndDurationToItsOwn) {
    const double inf = std::numeric_limits<double>::infinity();
    for (auto [in, out] : {std::pair{-0.5, 0.0},
                           {1.0000001, 1.0},
                           {0.0, 0.0},
                           {1.0, 1.0},
                           {0.37, 0.37},
                           {inf, 1.0},
                           {-inf, 0.0}}) {
        EXPECT_EQ(make(in).blurIntensity, out) << in;
    }
    for (auto [in, out] : {std::pair{0.1, 0.25}, {0.25, 0.25}, {2.0, 2.0}, {5.0, 2.0}}) {
        EXPECT_EQ(make(0, in).appearanceDuration, out) << in;
    }
    const DimmingConfiguration all(false, 2, -1, OverlayColor::black, 9, EffectMode::aura, 0.8, 1.0,
                                   -3);
    EXPECT_EQ(all.tintIntensity, 0.0);
    EXPECT_EQ(all.grainIntensity, 1.0);
    EXPECT_EQ(all.ambientFadeStart, 0.8) << "only the overlay view limits the fade start to 0.5";
    EXPECT_EQ(all.auraIntensity, 0.0);
}

TEST(DimmingConfigurationTest, NotANumberPassesThroughEveryClamp) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(std::isnan(make(nan).blurIntensity));
    EXPECT_TRUE(std::isnan(make(0, nan).appearanceDuration));
    EXPECT_TRUE(std::isnan(DimmingConfiguration::clampIntensity(nan)));
    EXPECT_TRUE(std::isnan(overlayAlpha(nan)));
    EXPECT_EQ(overlayAlpha(1.5), 1.0);
    EXPECT_EQ(overlayAlpha(-0.1), 0.0);
}

} // namespace
} // namespace tavrilux
