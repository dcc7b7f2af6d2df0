#include "core/animation/AnimationConstants.h"
#include "core/animation/Layer.h"
#include "fakes/VirtualMainQueue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace tavrilux {
namespace {

using fakes::VirtualMainQueue;

// The platform's named curves: ease-in starts slowly, ease-out ends slowly (the mirror image of
// ease-in), ease-in-ease-out does both and is halfway at half time.
TEST(TimingFunctionTest, NamedCurvesHaveTheUsualControlPoints) {
    using Curves = AnimationConstants::TimingFunction;
    EXPECT_EQ(Curves::easeIn(), MediaTimingFunction(0.42, 0.0, 1.0, 1.0));
    EXPECT_EQ(Curves::easeOut(), MediaTimingFunction(0.0, 0.0, 0.58, 1.0));
    EXPECT_EQ(Curves::easeInEaseOut(), MediaTimingFunction(0.42, 0.0, 0.58, 1.0));
    EXPECT_EQ(&Curves::easeOut(), &Curves::easeOut()) << "made once";

    EXPECT_NEAR(Curves::easeIn().valueAt(0.5), 0.3153, 1e-4);
    EXPECT_NEAR(Curves::easeOut().valueAt(0.5), 1 - 0.3153, 1e-4);
    EXPECT_NEAR(Curves::easeInEaseOut().valueAt(0.5), 0.5, 1e-9);
    for (const double t : {0.1, 0.25, 0.75, 0.9}) {
        EXPECT_LT(Curves::easeIn().valueAt(t), t) << t;
        EXPECT_GT(Curves::easeOut().valueAt(t), t) << t;
        EXPECT_NEAR(Curves::easeOut().valueAt(t), 1 - Curves::easeIn().valueAt(1 - t), 1e-9) << t;
        EXPECT_NEAR(Curves::easeInEaseOut().valueAt(t), 1 - Curves::easeInEaseOut().valueAt(1 - t),
                    1e-9)
            << t;
    }
    EXPECT_LT(Curves::easeInEaseOut().valueAt(0.25), 0.25);
    EXPECT_GT(Curves::easeInEaseOut().valueAt(0.75), 0.75);
}

TEST(TimingFunctionTest, ValuesLieOnTheBezierCurveAndClampOutsideIt) {
    for (const auto& curve : {MediaTimingFunction::easeIn(), MediaTimingFunction::easeOut(),
                              MediaTimingFunction::easeInEaseOut()}) {
        // Walk the curve by its parameter and ask for y at each x it passes through.
        for (int i = 1; i < 50; ++i) {
            const double s = i / 50.0;
            const double inv = 1.0 - s;
            const double x =
                3 * inv * inv * s * curve.c1x() + 3 * inv * s * s * curve.c2x() + s * s * s;
            const double y =
                3 * inv * inv * s * curve.c1y() + 3 * inv * s * s * curve.c2y() + s * s * s;
            EXPECT_NEAR(curve.valueAt(x), y, 1e-7) << "s=" << s;
        }
        // Out-of-range fractions clamp; NaN counts as not started.
        EXPECT_DOUBLE_EQ(curve.valueAt(-1.0), 0.0);
        EXPECT_DOUBLE_EQ(curve.valueAt(std::nan("")), 0.0);
        EXPECT_DOUBLE_EQ(curve.valueAt(1.0), 1.0);
        EXPECT_DOUBLE_EQ(curve.valueAt(2.0), 1.0);
    }
    EXPECT_NEAR(MediaTimingFunction::easeIn().valueAt(0.5), 0.3153, 1e-4);
    EXPECT_NEAR(MediaTimingFunction::linear().valueAt(0.3), 0.3, 1e-6);
}

struct LayerTest : ::testing::Test {
    VirtualMainQueue queue;
    std::shared_ptr<AnimationHost> host = std::make_shared<AnimationHost>(queue);
    Layer layer{host};

    BasicAnimation fade(double to, double seconds, FillMode fill = FillMode::forwards) {
        BasicAnimation a;
        a.keyPath = "opacity";
        a.toValue = to;
        a.duration = Seconds{seconds};
        a.fillMode = fill;
        return a;
    }
    // Opacity 0 -> 1 over a second, as the windows fade in.
    void fadeIn() {
        layer.setValue("opacity", 0.0);
        layer.addAnimation(fade(1.0, 1.0), "fade");
        layer.setValue("opacity", 1.0);
    }
};

TEST_F(LayerTest, PresentationFollowsTheAnimationAndANewOneStartsFromWhereItIs) {
    fadeIn();
    EXPECT_DOUBLE_EQ(layer.presentationDouble("opacity"), 0.0);
    queue.advance(Seconds{0.25});
    EXPECT_NEAR(layer.presentationDouble("opacity"), 0.25, 1e-9);
    EXPECT_TRUE(layer.hasAnimations());
    layer.addAnimation(fade(0.0, 1.0), "fade");
    layer.setValue("opacity", 0.0);
    EXPECT_EQ(layer.animationKeys(), std::vector<std::string>{"fade"});
    EXPECT_NEAR(layer.presentationDouble("opacity"), 0.25, 1e-9);
    queue.advance(Seconds{0.5});
    EXPECT_NEAR(layer.presentationDouble("opacity"), 0.125, 1e-9);
    queue.advance(Seconds{0.5});
    EXPECT_DOUBLE_EQ(layer.presentationDouble("opacity"), 0.0);
    EXPECT_FALSE(layer.hasAnimations());

    // A removed animation shows the model value at once.
    layer.setValue("opacity", 0.2);
    layer.addAnimation(fade(1.0, 1.0), "fade");
    queue.advance(Seconds{0.5});
    layer.removeAnimation("fade");
    EXPECT_DOUBLE_EQ(layer.presentationDouble("opacity"), 0.2);
}

TEST_F(LayerTest, CompletionsRunAsTasksAndTellWhetherTheAnimationFinished) {
    int changes = 0;
    host->setChangeHandler([&] { ++changes; });
    std::vector<bool> results;
    auto first = fade(1.0, 1.0);
    first.completion = [&](bool finished) { results.push_back(finished); };
    layer.addAnimation(first, "fade");
    auto second = fade(0.5, 0.5);
    second.completion = [&](bool finished) { results.push_back(finished); };
    layer.addAnimation(second, "fade");
    EXPECT_TRUE(results.empty()) << "never inside the call";
    EXPECT_EQ(changes, 3) << "each animation added, and the one replaced, is a change to draw";
    queue.runUntilIdle();
    EXPECT_EQ(results, std::vector<bool>{false});
    queue.advance(Seconds{0.5});
    EXPECT_EQ(results, (std::vector<bool>{false, true}));
}

TEST_F(LayerTest, FillModesDecideWhatShowsBeforeTheBeginTime) {
    layer.setValue("opacity", 0.9);
    auto both = fade(1.0, 1.0, FillMode::both);
    both.fromValue = 0.0;
    both.beginTime = queue.now() + Seconds{0.5};
    layer.addAnimation(both, "held");
    queue.advance(Seconds{0.25});
    EXPECT_DOUBLE_EQ(layer.presentationDouble("opacity"), 0.0) << "held at its start value";

    auto forwards = fade(1.0, 1.0, FillMode::forwards);
    forwards.fromValue = 0.0;
    forwards.beginTime = queue.now() + Seconds{0.5};
    layer.removeAnimation("held");
    layer.addAnimation(forwards, "held");
    EXPECT_DOUBLE_EQ(layer.presentationDouble("opacity"), 0.9) << "model value before it begins";
    queue.advance(Seconds{1.0});
    EXPECT_NEAR(layer.presentationDouble("opacity"), 0.5, 1e-9);
}

TEST_F(LayerTest, ColoursBlendComponentWise) {
    layer.setValue("backgroundColor", Rgba::clear());
    BasicAnimation a;
    a.keyPath = "backgroundColor";
    a.toValue = Rgba{1.0, 0.5, 0.0, 0.8};
    a.duration = Seconds{1.0};
    layer.addAnimation(a, "dimColor");
    queue.advance(Seconds{0.5});
    const Rgba c = layer.presentationColor("backgroundColor");
    EXPECT_NEAR(c.red, 0.5, 1e-9);
    EXPECT_NEAR(c.green, 0.25, 1e-9);
    EXPECT_NEAR(c.alpha, 0.4, 1e-9);
}

} // namespace
} // namespace tavrilux
