#include "core/overlay/OverlayView.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/QtOverlayRenderer.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <vector>

namespace tavrilux::qt {
namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 100;

struct Argb {
    int a, r, g, b;
};

class OverlayRendererTest : public ::testing::Test {
protected:
    OverlayPaintState tinted(Rgba tint) const {
        OverlayPaintState state;
        state.windowAlpha = 1.0;
        state.bounds = Rect{0, 0, kWidth, kHeight};
        state.blurFrame = state.bounds;
        state.tintColor = tint;
        return state;
    }
    void render(const OverlayPaintState& state) {
        renderOverlay(state, pixels.data(), kWidth, kHeight);
    }
    // Rows from the top, as the window shows them.
    Argb at(int x, int y) const {
        const std::uint32_t p = pixels[static_cast<std::size_t>(y * kWidth + x)];
        return Argb{static_cast<int>(p >> 24), static_cast<int>((p >> 16) & 0xff),
                    static_cast<int>((p >> 8) & 0xff), static_cast<int>(p & 0xff)};
    }

    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(kWidth * kHeight, 0xdeadbeef);
};

TEST_F(OverlayRendererTest, TintIsPremultipliedOverTheWholeWindow) {
    render(tinted(Rgba{1.0, 0.0, 0.0, 0.5}));
    for (const auto& [x, y] : {std::pair{0, 0}, {kWidth - 1, kHeight - 1}, {100, 50}}) {
        const Argb p = at(x, y);
        EXPECT_NEAR(p.a, 128, 1);
        EXPECT_NEAR(p.r, 128, 1);
        EXPECT_EQ(p.g, 0);
        EXPECT_EQ(p.b, 0);
    }
}

TEST_F(OverlayRendererTest, AmbientGradientIsOpaqueAtTheBottomAndClearAtTheTop) {
    auto state = tinted(Rgba{0, 0, 0, 0.8});
    GradientLayer gradient;
    gradient.frame = state.bounds;
    gradient.startPoint = {0.5, 0.0};
    gradient.endPoint = {0.5, 1.0};
    gradient.locations = {0.0, 0.3, 1.0};
    gradient.colors = OverlayView::ambientColors();
    state.mask = gradient;
    render(state);
    EXPECT_NEAR(at(100, kHeight - 1).a, 204, 2) << "the start point is the bottom edge";
    EXPECT_NEAR(at(100, kHeight - 25).a, 204, 2) << "opaque up to the fade start";
    EXPECT_LE(at(100, 0).a, 4);
    EXPECT_GT(at(100, 50).a, at(100, 20).a);
}

TEST_F(OverlayRendererTest, AuraMaskKeepsTheHaloAndClearsFarAway) {
    auto state = tinted(Rgba{0, 0, 0, 1.0});
    ShapeMaskLayer aura;
    aura.frame = state.bounds;
    ShapeLayer halo;
    halo.frame = state.bounds;
    halo.pathRect = Rect{20, 20, 60, 60}; // bottom-left origin: rows 20 to 80 from the top
    halo.cornerRadius = 10;
    aura.sublayers.push_back(halo);
    aura.gaussianBlurRadius = 8;
    state.mask = aura;
    render(state);
    EXPECT_GT(at(50, 50).a, 200) << "inside the halo";
    EXPECT_LT(at(190, 50).a, 10) << "far from the halo";
    const int edge = at(82, 50).a;
    EXPECT_GT(edge, 10) << "the edge is soft";
    EXPECT_LT(edge, 245);
}

TEST_F(OverlayRendererTest, FrostedFillStandsInForTheBlurWithTheIntensityAsAlpha) {
    auto state = tinted(Rgba::clear());
    state.blurVisible = true;
    state.fallbackAlpha = 0.5;
    state.blurFrame = Rect{0, 0, 100, kHeight};
    render(state);
    EXPECT_GT(at(50, 50).a, 0);
    EXPECT_EQ(at(150, 50).a, 0) << "only over the blur frame";
    state.blurVisible = false;
    render(state);
    EXPECT_EQ(at(50, 50).a, 0) << "a hidden backdrop draws nothing";
}

TEST(QtMainQueueTest, TasksRunInDueOrderAndCancelledOnesNever) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    QtMainQueue queue;
    std::vector<int> order;
    const Seconds start = queue.now();
    Seconds ranAt{0.0};
    queue.postAfter(Seconds{0.03}, [&] {
        order.push_back(3);
        ranAt = queue.now();
    });
    auto cancelled = queue.postAfter(Seconds{0.01}, [&] { order.push_back(99); });
    queue.post([&] { order.push_back(1); });
    queue.post([&] { order.push_back(2); });
    cancelled.cancel();
    QElapsedTimer timer;
    timer.start();
    while (order.size() < 3 && timer.elapsed() < 2000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_GE((ranAt - start).count(), 0.03) << "never before its time";
}

} // namespace
} // namespace tavrilux::qt
