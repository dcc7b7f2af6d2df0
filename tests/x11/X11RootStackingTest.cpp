#include "platform/x11/X11RootStacking.h"
#include "TestDesktopFixture.h"

#include <gtest/gtest.h>

namespace tavrilux::x11 {
namespace {

// The root's children on a bare server, as the test makes and stacks them.
class X11RootStackingTest : public testdesktop::TestDesktopFixture {
protected:
    testdesktop::TestDesktop::Options desktopOptions() const override { return {true}; }

    xcb_window_t make(bool mapped, std::uint16_t windowClass = XCB_WINDOW_CLASS_INPUT_OUTPUT) {
        const xcb_window_t w = xcb_generate_id(c());
        xcb_create_window(c(), XCB_COPY_FROM_PARENT, w, control->root(), 0, 0, 10, 10, 0,
                          windowClass, XCB_COPY_FROM_PARENT, 0, nullptr);
        if (mapped) {
            xcb_map_window(c(), w);
        }
        return w;
    }
};

TEST_F(X11RootStackingTest, AWindowIsLoweredPastOnlyWhatShowsBetweenItsPlacesAndLayUnderIt) {
    // Bottom to top.
    const xcb_window_t low = make(true);
    const xcb_window_t inputOnly = make(true, XCB_WINDOW_CLASS_INPUT_ONLY);
    const xcb_window_t unmapped = make(false);
    const xcb_window_t ours = make(true);
    const xcb_window_t high = make(true);
    X11RootStacking stacking(c(), control->root(), true);
    stacking.reload();
    ASSERT_EQ(stacking.indexOf(low).value() + 3, stacking.indexOf(ours).value());
    const auto none = [](xcb_window_t) { return false; };

    EXPECT_TRUE(stacking.lowersPast(ours, XCB_WINDOW_NONE, none)) << "to the bottom, below low";
    EXPECT_FALSE(stacking.lowersPast(ours, low, none)) << "only windows that draw nothing between";
    EXPECT_FALSE(stacking.lowersPast(ours, unmapped, none)) << "where it lies already";
    EXPECT_FALSE(stacking.lowersPast(ours, high, none)) << "raised";
    EXPECT_FALSE(stacking.lowersPast(ours, make(true), none)) << "a sibling not known yet";
    EXPECT_FALSE(stacking.lowersPast(ours, XCB_WINDOW_NONE, [&](xcb_window_t w) {
        return w == low;
    })) << "passing over low";
    EXPECT_TRUE(stacking.lowersPast(high, low, none)) << "past ours";
    EXPECT_TRUE(stacking.lowersPast(inputOnly, XCB_WINDOW_NONE, none)) << "below low";
    EXPECT_FALSE(stacking.lowersPast(low, XCB_WINDOW_NONE, none)) << "at the bottom already";
}

} // namespace
} // namespace tavrilux::x11
