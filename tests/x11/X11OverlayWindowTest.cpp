#include "TestDesktopFixture.h"
#include "core/animation/AnimationConstants.h"
#include "core/overlay/OverlayWindow.h"
#include "fakes/VirtualMainQueue.h"
#include "platform/x11/X11OverlaySurfaces.h"
#include "platform/x11/X11OverlayWindowFactory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace tavrilux::x11 {
namespace {

using testdesktop::DesktopControl;

// Overlay windows of the X11 factory on a test desktop (openbox and picom), driven on virtual
// time so that every frame the windows draw is a task the test can see.
class X11OverlayWindowTest : public testdesktop::TestDesktopFixture {
protected:
    void SetUp() override {
        TestDesktopFixture::SetUp();
        connectFactory();
    }
    void connectFactory() {
        windows.clear();
        factory.reset();
        std::string error;
        factory = X11OverlayWindowFactory::connect(
            queue, [](const OverlayPaintState&, std::uint32_t*, int, int) {},
            desktop->display().c_str(), &error);
        ASSERT_TRUE(factory) << error;
        factory->setWindowLifecycleHandler([this](xcb_window_t window, bool alive) {
            if (alive) {
                made.push_back(window);
            }
        });
        // picom may still be starting.
        ASSERT_TRUE(DesktopControl::waitUntil([this] {
            factory->processEvents();
            return factory->hasCompositor();
        }));
    }
    void TearDown() override {
        windows.clear();
        factory.reset();
        TestDesktopFixture::TearDown();
    }

    // A new overlay covering the left monitor (or the right one); returns it and the X window
    // made last (a kept one handed out again makes none).
    std::pair<OverlayWindow*, xcb_window_t> makeOverlay(bool right = false) {
        const double x = right ? testdesktop::TestDesktop::kMonitorWidth : 0.0;
        windows.push_back(OverlayWindow::make(Rect{x, 0, testdesktop::TestDesktop::kMonitorWidth,
                                                   testdesktop::TestDesktop::kMonitorHeight},
                                              queue, *factory));
        return {windows.back().get(), made.back()};
    }

    // Everything the factory sent has reached the server; its answers are read.
    void sync() {
        xcb_connection_t* own = factory->connection();
        std::free(xcb_get_input_focus_reply(own, xcb_get_input_focus(own), nullptr));
        factory->processEvents();
    }

    xcb_window_t topLevelOf(xcb_window_t window) {
        return control->topLevelOf(window).value_or(XCB_WINDOW_NONE);
    }

    // Position of `window` among the root's children, bottom to top; -1 when not there.
    int levelOf(xcb_window_t window) {
        const auto list = control->rootChildren();
        const auto it = std::find(list.begin(), list.end(), window);
        return it == list.end() ? -1 : static_cast<int>(it - list.begin());
    }

    bool isViewable(xcb_window_t window) { return control->isViewable(window); }

    std::vector<std::uint32_t> cardinals(xcb_window_t window, const char* property) {
        auto* r = xcb_get_property_reply(
            c(),
            xcb_get_property(c(), 0, window, control->atom(property), XCB_ATOM_CARDINAL, 0, 64),
            nullptr);
        std::vector<std::uint32_t> values;
        if (r != nullptr && r->format == 32) {
            const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(r));
            values.assign(data, data + xcb_get_property_value_length(r) / 4);
        }
        std::free(r);
        return values;
    }

    std::uint32_t opacityOf(xcb_window_t window) {
        const auto values = cardinals(window, "_NET_WM_WINDOW_OPACITY");
        return values.size() == 1 ? values[0] : 0;
    }

    fakes::VirtualMainQueue queue;
    std::unique_ptr<X11OverlayWindowFactory> factory;
    std::vector<std::shared_ptr<OverlayWindow>> windows;
    std::vector<xcb_window_t> made;
};

TEST_F(X11OverlayWindowTest, LiesDirectlyBelowTheFocusedFrameOrAboveTheGivenWindow) {
    const auto a = startManagedClient({"--geometry", "300x200+100+100"}).windows.at(0);
    const auto b = startManagedClient({"--geometry", "300x200+500+100"}).windows.at(0);
    control->moveToDesktop(b, 0xFFFFFFFF);
    auto [overlay, id] = makeOverlay();
    sync();
    EXPECT_FALSE(isViewable(id)) << "not ordered in at creation";

    overlay->order(WindowOrderingMode::below, a);
    sync();
    EXPECT_TRUE(isViewable(id));
    EXPECT_EQ(levelOf(id) + 1, levelOf(topLevelOf(a)));

    // The window manager may still restack b for its move to every desktop; the overlay follows.
    overlay->order(WindowOrderingMode::above, b);
    EXPECT_TRUE(DesktopControl::waitUntil([&] {
        sync();
        return levelOf(id) == levelOf(topLevelOf(b)) + 1;
    }));

    // On the active workspace while the window it lies against shows.
    auto [belowA, idA] = makeOverlay();
    belowA->order(WindowOrderingMode::below, a);
    EXPECT_TRUE(belowA->isOnActiveSpace());
    control->switchDesktop(1);
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return !isViewable(a); }));
    EXPECT_FALSE(belowA->isOnActiveSpace());
    EXPECT_TRUE(overlay->isOnActiveSpace()) << "above a window shown on every desktop";

    overlay->orderOut();
    sync();
    EXPECT_FALSE(isViewable(id));
}

TEST_F(X11OverlayWindowTest, AnOverlayMovedAwayIsPutBackAFewTimesThenLeftToTheWindowManager) {
    const auto a = startManagedClient({"--geometry", "300x200+100+100"}).windows.at(0);
    auto [overlay, id] = makeOverlay();
    overlay->order(WindowOrderingMode::below, a);
    const auto raiseOverlay = [&] {
        const std::uint32_t top[] = {XCB_STACK_MODE_ABOVE};
        xcb_configure_window(c(), id, XCB_CONFIG_WINDOW_STACK_MODE, top);
        xcb_flush(c());
        control->activeWindow(); // done
        sync();
        sync(); // and the answer to it
    };
    // An insisting window manager, all within the same instant.
    for (std::uint64_t i = 1; i <= 5; ++i) {
        raiseOverlay();
        EXPECT_EQ(factory->correctionCount(), std::min<std::uint64_t>(i, 3)) << i;
        EXPECT_EQ(levelOf(id) + 1 == levelOf(topLevelOf(a)), i <= 3) << i;
    }
    // The engine's next order gives it its chances again.
    overlay->order(WindowOrderingMode::below, a);
    raiseOverlay();
    EXPECT_EQ(factory->correctionCount(), 4u);
    EXPECT_EQ(levelOf(id) + 1, levelOf(topLevelOf(a)));

    // Without a new order it pauses only while its last few tries are recent: a burst of
    // restacks (a window's layer changed twice) is put right once the span has passed.
    for (std::uint64_t i = 2; i <= 4; ++i) {
        queue.advance(Seconds{0.1});
        raiseOverlay();
        EXPECT_EQ(factory->correctionCount(), std::min<std::uint64_t>(3 + i, 6)) << i;
    }
    EXPECT_NE(levelOf(id) + 1, levelOf(topLevelOf(a)));
    queue.advance(X11OverlayWindowFactory::kCorrectionSpan - Seconds{0.35});
    sync();
    EXPECT_NE(levelOf(id) + 1, levelOf(topLevelOf(a))) << "still within the span";
    queue.advance(Seconds{0.1});
    sync();
    EXPECT_EQ(factory->correctionCount(), 7u);
    EXPECT_EQ(levelOf(id) + 1, levelOf(topLevelOf(a)));
}

TEST_F(X11OverlayWindowTest, WindowsThatVanishOrNeverExistedLeaveNoOverlayOnTop) {
    const auto a = startManagedClient({"--geometry", "300x200+100+100"});
    const auto b = startManagedClient({"--geometry", "300x200+500+100"}).windows.at(0);
    const xcb_window_t gone = a.windows.at(0);
    const xcb_window_t goneFrame = topLevelOf(gone);
    desktop->stopClient(a);
    // Its frame too: the window manager takes it down a moment after the window.
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return levelOf(goneFrame) < 0; }));

    auto [overlay, id] = makeOverlay();
    // A fresh overlay would otherwise be mapped on top of every window, the focused one too.
    for (WindowNumber unknown : {WindowNumber{gone}, WindowNumber{0}, WindowNumber{0x7ffffff}}) {
        overlay->order(WindowOrderingMode::below, unknown);
        sync();
        EXPECT_FALSE(isViewable(id)) << unknown;
    }
    EXPECT_TRUE(overlay->isVisible()) << "still wanted: the next placement shows it";

    overlay->order(WindowOrderingMode::below, b);
    sync();
    EXPECT_TRUE(isViewable(id));
    const int below = levelOf(id);
    EXPECT_EQ(below + 1, levelOf(topLevelOf(b)));

    // Once placed, an unknown window leaves it where it is; errors are dropped, nothing aborts.
    overlay->order(WindowOrderingMode::above, WindowNumber{control->root()});
    overlay->order(WindowOrderingMode::below, gone);
    overlay->order(WindowOrderingMode::below, WindowNumber{id});
    sync();
    EXPECT_TRUE(isViewable(id));
    EXPECT_EQ(levelOf(id) + 1, levelOf(topLevelOf(b)));
    EXPECT_GT(factory->errorCount(), 0u);
}

TEST_F(X11OverlayWindowTest, FramesRunOnlyWhileAMappedWindowAnimates) {
    const auto a = startManagedClient({"--geometry", "300x200+100+100"}).windows.at(0);
    auto [overlay, id] = makeOverlay();
    const auto& easeOut = AnimationConstants::TimingFunction::easeOut();
    overlay->setAlphaValue(0.0);
    queue.runUntilIdle();

    // Ordered out: a fade changes nothing on the server.
    const auto before = factory->alphaUpdateCount();
    overlay->animateAlpha(0.5, Seconds{0.5}, easeOut, nullptr);
    queue.advance(Seconds{0.25});
    EXPECT_EQ(factory->alphaUpdateCount(), before);

    // Mapped mid-fade: drawn at once at the present alpha, then a frame at a time.
    overlay->order(WindowOrderingMode::below, a);
    sync();
    EXPECT_EQ(factory->alphaUpdateCount(), before + 1);
    EXPECT_EQ(opacityOf(id), static_cast<std::uint32_t>(
                                 std::llround(overlay->presentationAlpha() * 4294967295.0)));
    queue.advance(Seconds{0.25});
    EXPECT_GT(factory->alphaUpdateCount(), before + 10);
    sync();
    EXPECT_EQ(opacityOf(id), 2147483648u) << "the fade's end value";

    // At rest nothing is scheduled: no frame timer runs.
    queue.advance(Seconds{0.1});
    EXPECT_FALSE(queue.hasPending());

    // A change at rest draws once, and a hidden window draws nothing.
    const auto rest = factory->alphaUpdateCount();
    overlay->setAlphaValue(0.8);
    queue.advance(Seconds{0.1});
    EXPECT_EQ(factory->alphaUpdateCount(), rest + 1);
    EXPECT_FALSE(queue.hasPending());
    overlay->orderOut();
    overlay->animateAlpha(0.0, Seconds{0.3}, easeOut, nullptr);
    queue.advance(Seconds{0.5});
    EXPECT_EQ(factory->alphaUpdateCount(), rest + 1);
    EXPECT_FALSE(queue.hasPending());
}

TEST_F(X11OverlayWindowTest, CompositorBlurIsFoundEitherWayAndHintedOverTheBlurFrame) {
    EXPECT_FALSE(factory->isBackdropAvailable()) << "picom announces no blur";
    const xcb_atom_t blur = control->atom("_KDE_NET_WM_BLUR_BEHIND_REGION");
    // KWin announces the hint as a property of the root window, others in _NET_SUPPORTED.
    for (const xcb_atom_t announcement : {blur, control->atom("_NET_SUPPORTED")}) {
        xcb_delete_property(c(), control->root(), blur);
        xcb_change_property(c(), XCB_PROP_MODE_APPEND, control->root(), announcement, XCB_ATOM_ATOM,
                            32, 1, &blur);
        xcb_flush(c());
        connectFactory();
        EXPECT_TRUE(factory->isBackdropAvailable()) << announcement;
    }

    const auto a = startManagedClient({"--geometry", "300x200+100+100"}).windows.at(0);
    auto [overlay, id] = makeOverlay();
    const auto aura = [](double blurIntensity) {
        return DimmingConfiguration(true, blurIntensity, 0.3, OverlayColor::black, 0.0,
                                    EffectMode::aura, 0.5, 1.0, 0.35);
    };
    overlay->apply(aura(0.5), false);
    overlay->updatePlacement(a, WindowOrderingMode::below, Rect{100, 500, 300, 200});
    queue.runUntilIdle();
    sync();
    const Rect frame = overlay->paintState().blurFrame;
    ASSERT_LT(frame.width, testdesktop::TestDesktop::kMonitorWidth) << "the aura's frame";
    // In the window's own coordinates, y down.
    const auto px = [](double v) { return static_cast<std::uint32_t>(std::lround(v)); };
    EXPECT_EQ(
        cardinals(id, "_KDE_NET_WM_BLUR_BEHIND_REGION"),
        (std::vector<std::uint32_t>{
            px(frame.x), px(testdesktop::TestDesktop::kMonitorHeight - frame.y - frame.height),
            px(frame.width), px(frame.height)}));

    overlay->apply(aura(0.0), false);
    queue.runUntilIdle();
    sync();
    EXPECT_TRUE(cardinals(id, "_KDE_NET_WM_BLUR_BEHIND_REGION").empty()) << "no blur, no hint";
}

// The top-level windows of the given clients, and their processes, as a window list knows them.
class KnownTopLevels final : public X11TopLevels {
public:
    KnownTopLevels(DesktopControl& control, std::vector<std::pair<xcb_window_t, ProcessID>> clients)
        : control_(control), clients_(std::move(clients)) {}
    std::optional<X11TopLevelOwner> ownerOfTopLevel(xcb_window_t frame) const override {
        for (const auto& [client, pid] : clients_) {
            if (control_.topLevelOf(client) == frame) {
                return X11TopLevelOwner{pid, client};
            }
        }
        return std::nullopt;
    }
    std::optional<xcb_window_t> topLevelOf(xcb_window_t client) const override {
        return control_.topLevelOf(client);
    }

private:
    DesktopControl& control_;
    std::vector<std::pair<xcb_window_t, ProcessID>> clients_;
};

// A plain tint over the whole window, at the given strength and colour.
DimmingConfiguration tint(double intensity, OverlayColor colour) {
    return DimmingConfiguration(true, 0.0, intensity, colour, 0.0, EffectMode::fullscreen, 0.5,
                                0.25, 0.35);
}

TEST_F(X11OverlayWindowTest, ARegularApplicationsWindowsStackedUnderTheAnchorStayAboveIt) {
    const auto a = startManagedClient({"--count", "2", "--geometry", "300x200+100+100"});
    const auto b = startManagedClient({"--geometry", "300x200+600+100"}).windows.at(0);
    const xcb_window_t a1 = a.windows.at(0);
    const xcb_window_t a2 = a.windows.at(1);
    // Frames of a1 and a2 belong to one process, b's to another.
    KnownTopLevels known(*control, {{a1, 1}, {a2, 1}, {b, 2}});
    factory->setTopLevels(&known);
    for (const auto w : {a2, a1}) {
        control->activate(w);
    }
    ASSERT_TRUE(DesktopControl::waitUntil(
        [&] { return levelOf(topLevelOf(a1)) == levelOf(topLevelOf(a2)) + 1; }));
    auto [overlay, id] = makeOverlay();
    // Asked below a1, it lies below a2 too.
    overlay->order(WindowOrderingMode::below, a1);
    sync();
    EXPECT_EQ(levelOf(id) + 1, levelOf(topLevelOf(a2)));

    // The window manager raising a2 over a1 leaves both above it: nothing to put back.
    const auto corrections = factory->correctionCount();
    control->raise(a2);
    ASSERT_TRUE(DesktopControl::waitUntil([&] {
        sync();
        return levelOf(topLevelOf(a2)) > levelOf(topLevelOf(a1));
    }));
    sync();
    EXPECT_EQ(levelOf(id) + 1, levelOf(topLevelOf(a1)));
    // Asked below a2 now, as an engine that looked before the raise would: still below both.
    overlay->order(WindowOrderingMode::below, a2);
    sync();
    EXPECT_EQ(levelOf(id) + 1, levelOf(topLevelOf(a1)));
    EXPECT_EQ(factory->correctionCount(), corrections);

    // Another application's window between them ends the run there: a1 is dimmed with b.
    control->raise(b);
    control->raise(a2);
    ASSERT_TRUE(DesktopControl::waitUntil([&] {
        sync();
        return levelOf(topLevelOf(a2)) > levelOf(topLevelOf(b)) &&
               levelOf(topLevelOf(b)) > levelOf(topLevelOf(a1));
    }));
    overlay->order(WindowOrderingMode::below, a2);
    EXPECT_TRUE(DesktopControl::waitUntil([&] {
        sync();
        return levelOf(id) + 1 == levelOf(topLevelOf(a2));
    }));
}

TEST_F(X11OverlayWindowTest, AKeptWindowServesTheNextOverlayOfItsDisplayWithOnlyTheNewLook) {
    const auto a = startManagedClient({"--color", "3366cc", "--geometry", "300x200+100+100"});
    const xcb_window_t client = a.windows.at(0);
    // The compositor's first frames are black: it shows the window before anything is read.
    ASSERT_TRUE(DesktopControl::waitUntil([&] {
        const auto p = control->centrePixel(client);
        return p.red == 0x33 && p.green == 0x66 && p.blue == 0xcc &&
               control->pixel(700, 500).red > 0;
    }));
    auto [red, redId] = makeOverlay();
    red->apply(tint(1.0, OverlayColor{1, 0, 0}), false);
    red->setAlphaValue(1.0);
    red->updatePlacement(client, WindowOrderingMode::above, Rect{});
    queue.runUntilIdle();
    ASSERT_TRUE(DesktopControl::waitUntil([&] { return control->centrePixel(client).red == 255; }));
    const auto created = factory->createdWindowCount();
    windows.clear();
    sync();
    EXPECT_EQ(factory->keptWindowCount(), 1u);
    EXPECT_FALSE(isViewable(redId));
    // Until the compositor has shown the window without it, red on screen is only its last frame.
    ASSERT_TRUE(
        DesktopControl::waitUntil([&] { return control->centrePixel(client).red == 0x33; }));

    auto [faint, faintId] = makeOverlay();
    EXPECT_EQ(factory->createdWindowCount(), created) << "the kept window is handed out";
    EXPECT_EQ(factory->keptWindowCount(), 0u);
    faint->apply(tint(0.2, OverlayColor::black), false);
    faint->setAlphaValue(1.0);
    // Mapped with its first drawing; no later frame runs while the screen is read.
    faint->updatePlacement(client, WindowOrderingMode::above, Rect{});
    sync();
    EXPECT_TRUE(isViewable(redId));
    // Every frame the compositor shows from the mapping on: the window alone, then its new look.
    const auto faintBlue = static_cast<int>(std::lround(0xcc * 0.8));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
    int samples = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto p = control->centrePixel(client);
        ++samples;
        ASSERT_LE(p.red, 0x33) << "sample " << samples << ": the old red tint showed";
        ASSERT_TRUE(std::abs(p.blue - 0xcc) <= 1 || std::abs(p.blue - faintBlue) <= 2)
            << "sample " << samples << ": blue " << p.blue;
    }
    EXPECT_NEAR(control->centrePixel(client).blue, faintBlue, 2);
}

TEST_F(X11OverlayWindowTest, KeptWindowsGoWithTheirDisplayOrWhenSomeoneElseDestroysThem) {
    // Two kept for the right display; a third released is destroyed.
    std::vector<xcb_window_t> right;
    for (int i = 0; i < 3; ++i) {
        right.push_back(makeOverlay(true).second);
    }
    windows.clear();
    sync();
    EXPECT_EQ(factory->keptWindowCount(), X11OverlaySurfaces::kKeptPerDisplay);
    const auto onRoot = [&](xcb_window_t w) { return levelOf(w) >= 0; };
    EXPECT_EQ(std::count_if(right.begin(), right.end(), onRoot), 2);

    // One destroyed by another client while kept: never handed out again.
    const auto kept = std::find_if(right.begin(), right.end(), onRoot);
    xcb_destroy_window(c(), *kept);
    xcb_flush(c());
    ASSERT_TRUE(DesktopControl::waitUntil([&] {
        sync();
        return factory->keptWindowCount() == 1;
    }));
    auto [overlay, id] = makeOverlay(true);
    const auto a = startManagedClient({"--geometry", "300x200+1500+100"}).windows.at(0);
    overlay->order(WindowOrderingMode::below, a);
    sync();
    EXPECT_NE(levelOf(*kept), 0) << "gone";
    EXPECT_TRUE(std::any_of(right.begin(), right.end(), [&](xcb_window_t w) {
        return w != *kept && isViewable(w);
    })) << "the other kept window serves the overlay";
    // And one destroyed while in use is not kept when released.
    for (const auto w : right) {
        if (w != *kept && isViewable(w)) {
            xcb_destroy_window(c(), w);
        }
    }
    xcb_flush(c());
    sync();
    windows.clear();
    sync();
    EXPECT_EQ(factory->keptWindowCount(), 0u);

    // The right display goes away: the windows kept for it go too.
    for (int i = 0; i < 2; ++i) {
        right.push_back(makeOverlay(true).second);
    }
    windows.clear();
    sync();
    ASSERT_EQ(factory->keptWindowCount(), 2u);
    ASSERT_EQ(desktop->xrandr("--delmonitor tavrilux-right"), 0);
    EXPECT_TRUE(DesktopControl::waitUntil([&] {
        sync();
        return factory->keptWindowCount() == 0;
    }));
    EXPECT_EQ(std::count_if(right.begin(), right.end(), onRoot), 0) << "no window left behind";
}

// On a bare server, no window manager moves anything but the test, and the test is the
// compositor: it holds the compositing manager selection and lets it go when it likes.
class X11BareOverlayTest : public X11OverlayWindowTest {
protected:
    testdesktop::TestDesktop::Options desktopOptions() const override { return {true}; }
    void SetUp() override {
        TestDesktopFixture::SetUp();
        selectionWindow = xcb_generate_id(c());
        xcb_create_window(c(), XCB_COPY_FROM_PARENT, selectionWindow, control->root(), 0, 0, 1, 1,
                          0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        holdSelection(true);
        connectFactory();
    }
    // Takes or gives up the selection; the factory has received the news, but not read it.
    void holdSelection(bool hold) {
        xcb_set_selection_owner(c(), hold ? selectionWindow : xcb_window_t{XCB_WINDOW_NONE},
                                control->atom("_NET_WM_CM_S0"), XCB_CURRENT_TIME);
        std::free(xcb_get_input_focus_reply(c(), xcb_get_input_focus(c()), nullptr));
        xcb_connection_t* own = factory ? factory->connection() : nullptr;
        if (own != nullptr) {
            std::free(xcb_get_input_focus_reply(own, xcb_get_input_focus(own), nullptr));
        }
    }

    xcb_window_t selectionWindow = 0;
};

TEST_F(X11BareOverlayTest, ACompositorGoneWhileAnOverlayIsPlacedLeavesItHidden) {
    const auto a = desktop->startClient({"--geometry", "300x200+100+100"}).windows.at(0);
    auto [overlay, id] = makeOverlay();
    overlay->order(WindowOrderingMode::below, a);
    sync();
    ASSERT_TRUE(isViewable(id));

    // The placement reads the stacking first, and with it the compositor's going.
    holdSelection(false);
    overlay->order(WindowOrderingMode::below, a);
    sync();
    EXPECT_FALSE(factory->hasCompositor());
    EXPECT_FALSE(isViewable(id)) << "a translucent window would black out the desktop";

    holdSelection(true);
    sync(); // reads it, and maps the window
    sync(); // the map handled
    EXPECT_TRUE(isViewable(id)) << "back with the compositor";
    EXPECT_EQ(levelOf(id) + 1, levelOf(a));
}

// Read before the server has handled the put-back, the stacking still shows the overlay moved
// away: that is no second move.
TEST_F(X11BareOverlayTest, OneMoveAwayCostsOneTryHoweverOftenTheStackingIsReadBeforeItsResult) {
    const auto a = desktop->startClient({"--geometry", "300x200+100+100"}).windows.at(0);
    auto [overlay, id] = makeOverlay();
    overlay->order(WindowOrderingMode::below, a);
    sync();
    ASSERT_EQ(levelOf(id) + 1, levelOf(a));
    const auto moveAway = [&] {
        const std::uint32_t top[] = {XCB_STACK_MODE_ABOVE};
        xcb_configure_window(c(), id, XCB_CONFIG_WINDOW_STACK_MODE, top);
        control->activeWindow(); // done
        xcb_connection_t* own = factory->connection();
        std::free(xcb_get_input_focus_reply(own, xcb_get_input_focus(own), nullptr)); // received
    };
    moveAway();
    // The server, held by the test, handles nothing of the factory's meanwhile.
    xcb_grab_server(c());
    control->activeWindow();
    for (int read = 0; read < 4; ++read) {
        factory->processEvents();
    }
    xcb_ungrab_server(c());
    xcb_flush(c());
    sync();
    EXPECT_EQ(factory->correctionCount(), 1u);
    EXPECT_EQ(levelOf(id) + 1, levelOf(a));
    // It has tries left.
    for (std::uint64_t i = 2; i <= 3; ++i) {
        moveAway();
        sync();
        sync();
        EXPECT_EQ(factory->correctionCount(), i);
        EXPECT_EQ(levelOf(id) + 1, levelOf(a)) << i;
    }
}

} // namespace
} // namespace tavrilux::x11
