#include "core/animation/AnimationConstants.h"
#include "core/overlay/OverlayWindow.h"
#include "fakes/FakeOverlayWindowFactory.h"
#include "fakes/VirtualMainQueue.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tavrilux {
namespace {

using fakes::FakeOverlayWindowFactory;
using fakes::VirtualMainQueue;

const auto& easeOut = AnimationConstants::TimingFunction::easeOut();

DimmingConfiguration look(double blur, double tint, double grain, EffectMode mode,
                          double fadeStart = 0.5, double aura = 0.35) {
    return DimmingConfiguration(true, blur, tint, OverlayColor{0.2, 0.4, 0.6}, grain, mode,
                                fadeStart, 1.0, aura);
}

struct OverlayViewTest : ::testing::Test {
    VirtualMainQueue queue;
    FakeOverlayWindowFactory factory;
    std::shared_ptr<OverlayWindow> window;

    void SetUp() override { window = OverlayWindow::make(Rect{0, 0, 1000, 800}, queue, factory); }
    OverlayView& view() { return window->contentView(); }
};

TEST_F(OverlayViewTest, AnimatedTintStartsFromThePresentationAndTakes180Milliseconds) {
    window->apply(look(0, 0.2, 0, EffectMode::fullscreen), false);
    window->apply(look(0, 0.8, 0, EffectMode::fullscreen), true);
    EXPECT_NEAR(window->paintState().tintColor.alpha, 0.2, 1e-9);
    ASSERT_NE(view().dimLayer().animation("dimColor"), nullptr);
    EXPECT_EQ(view().dimLayer().animation("dimColor")->timingFunction, easeOut);
    queue.advance(Seconds{0.09});
    const double midway = window->paintState().tintColor.alpha;
    EXPECT_GT(midway, 0.2);
    EXPECT_LT(midway, 0.8);
    // A change during the animation continues from where it is.
    window->apply(look(0, 0.0, 0, EffectMode::fullscreen), true);
    EXPECT_NEAR(window->paintState().tintColor.alpha, midway, 1e-9);
    queue.advance(Seconds{0.18});
    EXPECT_EQ(window->paintState().tintColor.alpha, 0.0);
    EXPECT_FALSE(window->isAnimating());

    // An unanimated change ends a running one.
    window->apply(look(0, 0.8, 0, EffectMode::fullscreen), true);
    queue.advance(Seconds{0.05});
    window->apply(look(0, 0.3, 0, EffectMode::fullscreen), false);
    EXPECT_EQ(view().dimLayer().animation("dimColor"), nullptr);
    EXPECT_EQ(window->paintState().tintColor.alpha, 0.3);
}

TEST_F(OverlayViewTest, BorderAndGrainFollowBlur) {
    struct Case {
        double blur, grain, border, grainOpacity;
    };
    // The last: grain never shows without blur.
    for (const Case c :
         {Case{0.1, 0.25, 0.212, 0.0375}, Case{1.0, 1.0, 0.5, 0.15}, Case{0.0, 1.0, 0.0, 0.0}}) {
        SCOPED_TRACE(c.blur);
        window->apply(look(c.blur, 0.5, c.grain, EffectMode::fullscreen), false);
        EXPECT_NEAR(window->paintState().borderOpacity, c.border, 1e-6);
        EXPECT_NEAR(window->paintState().grainOpacity, c.grainOpacity, 1e-6);
    }
}

TEST_F(OverlayViewTest, AmbientFadeStartIsClampedToHalf) {
    window->apply(look(0, 0.5, 0, EffectMode::ambient, 0.8), false);
    EXPECT_EQ(view().installedMask(), OverlayView::InstalledMask::ambient);
    const auto state = window->paintState();
    const auto* mask = std::get_if<GradientLayer>(&state.mask);
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->locations, (std::vector<double>{0, 0.5, 1}));
    window->apply(look(0, 0.5, 0, EffectMode::ambient, 0.3), false);
    EXPECT_EQ(view().ambientMaskLayer().locations, (std::vector<double>{0, 0.3, 1}));
    window->apply(look(0, 0.5, 0, EffectMode::fullscreen), false);
    EXPECT_EQ(view().installedMask(), OverlayView::InstalledMask::none);
}

TEST_F(OverlayViewTest, AuraHaloSurroundsTheFocusedWindow) {
    window->apply(look(0.5, 0.5, 0, EffectMode::aura, 0.5, 0.35), false);
    window->updatePlacement(42, WindowOrderingMode::below, Rect{300, 200, 400, 300});
    ASSERT_EQ(view().installedMask(), OverlayView::InstalledMask::aura);
    const auto& mask = *view().auraMaskLayer();
    ASSERT_EQ(mask.sublayers.size(), 1u);
    const double size = 0.35 * 0.8 * 330 + 30; // 122.4
    const Rect halo{300 - size / 2, 200 - size / 2, 400 + size, 300 + size};
    EXPECT_EQ(mask.sublayers[0].pathRect, halo);
    EXPECT_NEAR(mask.sublayers[0].cornerRadius, std::min(halo.height * 0.5, size * 0.6), 1e-9);
    EXPECT_NEAR(*mask.gaussianBlurRadius, size * 0.3, 1e-9);
    const double grow = 3 * size * 0.3;
    const Rect blur = view().backdropBlur().frame();
    EXPECT_NEAR(blur.x, halo.x - grow, 1e-9);
    EXPECT_NEAR(blur.maxX(), halo.maxX() + grow, 1e-9);
    // Rebuilt, not stacked, on the next move.
    window->updatePlacement(42, WindowOrderingMode::below, Rect{310, 200, 400, 300});
    EXPECT_EQ(view().auraMaskLayer()->sublayers.size(), 1u);
    // At the smallest intensity the halo is 15 points around the window, and follows it.
    window->apply(look(0.5, 0.5, 0, EffectMode::aura, 0.5, 0.0), false);
    window->updatePlacement(42, WindowOrderingMode::below, Rect{100, 100, 200, 200});
    EXPECT_EQ(view().auraMaskLayer()->sublayers.at(0).pathRect, (Rect{85, 85, 230, 230}));
}

TEST_F(OverlayViewTest, AuraBlurIsClippedAtTheDisplayEdge) {
    window->apply(look(0.5, 0.5, 0, EffectMode::aura, 0.5, 1.0), false);
    window->updatePlacement(42, WindowOrderingMode::below, Rect{0, 0, 200, 200});
    const Rect blur = view().backdropBlur().frame();
    EXPECT_EQ(blur.x, 0.0);
    EXPECT_EQ(blur.y, 0.0);
    EXPECT_LE(blur.maxX(), 1000.0);
    // A halo entirely outside the bounds gives a full-size backdrop.
    window->updatePlacement(42, WindowOrderingMode::below, Rect{5000, 5000, 100, 100});
    EXPECT_EQ(view().backdropBlur().frame(), view().bounds());
}

TEST_F(OverlayViewTest, WindowFrameIsConvertedToTheWindowsOwnCoordinates) {
    auto second = OverlayWindow::make(Rect{1000, 0, 800, 600}, queue, factory);
    second->updatePlacement(7, WindowOrderingMode::below, Rect{1100, 50, 200, 100});
    EXPECT_EQ(*second->contentView().lastWindowRect(), (Rect{100, 50, 200, 100}));
}

struct BackdropBlurTest : ::testing::TestWithParam<bool> {
    VirtualMainQueue queue;
    std::shared_ptr<AnimationHost> host = std::make_shared<AnimationHost>(queue);
    BackdropBlurView blur{host, GetParam()};

    double intensityShown() const {
        if (blur.backdropLayer()) {
            return blur.backdropLayer()->presentationDouble(BackdropBlurView::kRadiusKeyPath) /
                   BackdropBlurView::kMaxRadius;
        }
        return blur.fallbackEffectView()->presentationDouble(BackdropBlurView::kAlphaKeyPath);
    }
    bool hidden() const {
        return blur.backdropLayer() ? blur.backdropLayer()->isHidden()
                                    : blur.fallbackEffectView()->isHidden();
    }
};

TEST_P(BackdropBlurTest, OneKindOnlyHiddenUntilGivenAClampedIntensity) {
    EXPECT_NE(blur.backdropLayer() == nullptr, blur.fallbackEffectView() == nullptr);
    EXPECT_TRUE(hidden());
    blur.setBlurIntensity(1.7, false, Seconds{0}, easeOut, Seconds{0});
    EXPECT_DOUBLE_EQ(intensityShown(), 1.0);
    EXPECT_FALSE(hidden());
    blur.setBlurIntensity(-0.3, false, Seconds{0}, easeOut, Seconds{0});
    EXPECT_DOUBLE_EQ(intensityShown(), 0.0);
    EXPECT_TRUE(hidden()) << "an unanimated zero hides at once";
}

TEST_P(BackdropBlurTest, FadeToZeroHidesOnlyAfterItEndsUnlessAFadeInFollows) {
    blur.setBlurIntensity(0.5, false, Seconds{0}, easeOut, Seconds{0});
    blur.setBlurIntensity(0.0, true, Seconds{0.18}, easeOut, Seconds{0});
    queue.advance(Seconds{0.1});
    EXPECT_FALSE(hidden());
    EXPECT_GT(intensityShown(), 0.0);
    queue.advance(Seconds{0.08});
    EXPECT_TRUE(hidden());

    blur.setBlurIntensity(0.5, false, Seconds{0}, easeOut, Seconds{0});
    blur.setBlurIntensity(0.0, true, Seconds{0.18}, easeOut, Seconds{0});
    queue.advance(Seconds{0.1});
    blur.setBlurIntensity(0.4, true, Seconds{0.18}, easeOut, Seconds{0});
    queue.advance(Seconds{1.0});
    EXPECT_FALSE(hidden());
    EXPECT_NEAR(intensityShown(), 0.4, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(BackdropOrFallback, BackdropBlurTest, ::testing::Bool());

TEST(BackdropBlurDelayTest, DelayedRadiusAnimationHoldsItsStartValue) {
    VirtualMainQueue queue;
    auto host = std::make_shared<AnimationHost>(queue);
    BackdropBlurView blur(host, true);
    blur.setBlurIntensity(0.1, false, Seconds{0}, easeOut, Seconds{0});
    EXPECT_DOUBLE_EQ(blur.backdropLayer()->doubleValue(BackdropBlurView::kRadiusKeyPath), 4.0);
    blur.setBlurIntensity(1.0, true, Seconds{0.2}, easeOut, Seconds{0.3});
    queue.advance(Seconds{0.2});
    EXPECT_DOUBLE_EQ(blur.backdropLayer()->presentationDouble(BackdropBlurView::kRadiusKeyPath),
                     4.0);
    queue.advance(Seconds{0.3});
    EXPECT_DOUBLE_EQ(blur.backdropLayer()->presentationDouble(BackdropBlurView::kRadiusKeyPath),
                     40.0);
}

TEST(GrainTileTest, TileIsMadeOnceAndItsAlphaVaries) {
    const NoiseTile& tile = GrainView::noiseTile();
    EXPECT_EQ(&tile, &GrainView::noiseTile());
    EXPECT_EQ(tile.alpha.size(), 128u * 128u);
    const auto low =
        std::count_if(tile.alpha.begin(), tile.alpha.end(), [](auto a) { return a < 64; });
    const auto high =
        std::count_if(tile.alpha.begin(), tile.alpha.end(), [](auto a) { return a > 192; });
    EXPECT_GT(low, 1000);
    EXPECT_GT(high, 1000);
}

TEST_F(OverlayViewTest, FadesRunTheirCompletionAsATaskAndHideCanOrderOut) {
    window->setAlphaValue(0.0);
    window->order(WindowOrderingMode::below, 5);
    int done = 0;
    window->animateAlpha(1.0, Seconds{1.0}, easeOut, [&] { ++done; });
    EXPECT_EQ(done, 0);
    EXPECT_EQ(window->alphaValue(), 1.0);
    EXPECT_EQ(window->presentationAlpha(), 0.0);
    queue.advance(Seconds{1.0});
    EXPECT_EQ(done, 1);
    EXPECT_EQ(window->presentationAlpha(), 1.0);

    window->hide(Seconds{0.5}, easeOut, true, [&] { ++done; });
    queue.advance(Seconds{0.5});
    EXPECT_EQ(done, 2);
    EXPECT_FALSE(window->isVisible());

    // A non-positive duration applies the end value and completes at once.
    window->animateAlpha(0.7, Seconds{0}, easeOut, [&] { ++done; });
    EXPECT_EQ(done, 3);
    EXPECT_EQ(window->presentationAlpha(), 0.7);
}

TEST_F(OverlayViewTest, AlphaChangesReachThePlatformWindow) {
    auto* port = factory.lastCreated();
    ASSERT_NE(port, nullptr);
    const auto before = port->needsDisplayCount();
    window->animateAlpha(0.5, Seconds{0.2}, easeOut, nullptr);
    EXPECT_GT(port->needsDisplayCount(), before);
    EXPECT_TRUE(port->source().isAnimating());
    queue.advance(Seconds{0.2});
    EXPECT_FALSE(port->source().isAnimating());
    window.reset();
    EXPECT_TRUE(factory.liveWindows().empty());
}

} // namespace
} // namespace tavrilux
