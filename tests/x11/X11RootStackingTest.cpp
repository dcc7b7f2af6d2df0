#include "platform/x11/X11RootStacking.h"
#include "TestDesktopFixture.h"

#include <gtest/gtest.h>

namespace tavrilux::x11 {
namespace {

// The root's children on a bare server, as the test makes and stacks them.
class X11RootStackingTest : public testdesktop::TestDesktopFixture {
protected:
    testdesktop::TestDesktop::Options desktopOptions() const override { return {true}; }

    xcb_window_t make(bool mapped, std::uint16_t windowClass = XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      std::int16_t x = 0) {
        const xcb_window_t w = xcb_generate_id(c());
        xcb_create_window(c(), XCB_COPY_FROM_PARENT, w, control->root(), x, 0, 10, 10, 0,
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
    const auto none = [](const X11RootStacking::Child&) { return false; };

    EXPECT_TRUE(stacking.lowersPast(ours, XCB_WINDOW_NONE, none)) << "to the bottom, below low";
    EXPECT_FALSE(stacking.lowersPast(ours, low, none)) << "only windows that draw nothing between";
    EXPECT_FALSE(stacking.lowersPast(ours, unmapped, none)) << "where it lies already";
    EXPECT_FALSE(stacking.lowersPast(ours, high, none)) << "raised";
    EXPECT_FALSE(stacking.lowersPast(ours, make(true), none)) << "a sibling not known yet";
    EXPECT_FALSE(stacking.lowersPast(ours, XCB_WINDOW_NONE, [&](const X11RootStacking::Child& c) {
        return c.window == low;
    })) << "passing over low";
    EXPECT_TRUE(stacking.lowersPast(high, low, none)) << "past ours";
    EXPECT_TRUE(stacking.lowersPast(inputOnly, XCB_WINDOW_NONE, none)) << "below low";
    EXPECT_FALSE(stacking.lowersPast(low, XCB_WINDOW_NONE, none)) << "at the bottom already";
}

TEST_F(X11RootStackingTest, ARunGoesDownThroughItsWindowsPastWhatDoesNotShowOrIsPassedOver) {
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c(), control->root(), XCB_CW_EVENT_MASK, &mask);
    // Bottom to top; `far` lies away from the others.
    const xcb_window_t bottom = make(true);
    const xcb_window_t member3 = make(true);
    const xcb_window_t far = make(true, XCB_WINDOW_CLASS_INPUT_OUTPUT, 500);
    const xcb_window_t member2 = make(true);
    make(false); // shows nothing
    const xcb_window_t member1 = make(true);
    X11RootStacking stacking(c(), control->root(), true);
    stacking.reload();
    const auto inRun = [&](xcb_window_t w) { return w == member1 || w == member2 || w == member3; };
    // Only what meets the left 100 pixels counts.
    const auto elsewhere = [](const X11RootStacking::Child& child) {
        return !child.meets(0, 0, 100, 100);
    };
    const auto nothing = [](const X11RootStacking::Child&) { return false; };
    EXPECT_EQ(stacking.endOfRunBelow(member1, inRun, elsewhere), member3);
    EXPECT_EQ(stacking.endOfRunBelow(member1, inRun, nothing), member2) << "far ends it";
    EXPECT_EQ(stacking.endOfRunBelow(bottom, inRun, elsewhere), bottom);

    // Rectangles follow the server's events: moved over the others, far ends the run there.
    const std::uint32_t left[] = {0};
    xcb_configure_window(c(), far, XCB_CONFIG_WINDOW_X, left);
    std::free(xcb_get_input_focus_reply(c(), xcb_get_input_focus(c()), nullptr));
    const auto generation = stacking.generation();
    while (xcb_generic_event_t* e = xcb_poll_for_event(c())) {
        stacking.handleEvent(*e);
        std::free(e);
    }
    EXPECT_GT(stacking.generation(), generation) << "a move is a change";
    EXPECT_EQ(stacking.endOfRunBelow(member1, inRun, elsewhere), member2);
}

} // namespace
} // namespace tavrilux::x11
