#include "platform/x11/X11DialogSettling.h"

#include <gtest/gtest.h>

namespace tavrilux::x11 {
namespace {

using Moves = std::vector<std::pair<xcb_window_t, xcb_window_t>>;
constexpr auto none = std::nullopt;

// KWin's order from the anchor (0x10) up: its dialogs lifted onto it come back to it; another
// application's dialog, a dialog with a stranger between it and its parent, and a window of no
// parent stay.
TEST(X11DialogSettlingTest, DialogsLyingOnTheirParentOfTheAnchorsApplication) {
    // anchor, its dialog, that dialog's own dialog, a stranger, the anchor's second dialog.
    EXPECT_EQ(dialogsToSettle({0x10, 0x11, 0x12, 0x20, 0x13}, {none, 0, 1, none, 0},
                              {100, 100, 100, 200, 100}),
              (Moves{{0x11, 0x10}, {0x12, 0x11}}));
    // A window of the same process as its parent: the same application, even without a chain
    // to the anchor.
    EXPECT_EQ(dialogsToSettle({0x10, 0x30, 0x31}, {none, none, 1}, {100, 100, 100}),
              (Moves{{0x31, 0x30}}));
    // Another application's dialog on its own parent is left alone, and so is one naming itself.
    EXPECT_EQ(dialogsToSettle({0x10, 0x20, 0x21, 0x22}, {none, none, 1, 3}, {100, 200, 200, 200}),
              Moves{});
    // Processes unknown (0) never make two windows one application.
    EXPECT_EQ(dialogsToSettle({0x10, 0x20, 0x21}, {none, none, 1}, {0, 0, 0}), Moves{});
}

TEST(X11DialogSettlingTest, LoopsAndParentsOutOfRangeEndTheWalk) {
    // Two windows naming each other, and a parent index past the list: no answer loops or reads
    // past the end.
    EXPECT_EQ(dialogsToSettle({0x10, 0x20, 0x21}, {none, 2, 1}, {100, 200, 200}), Moves{});
    EXPECT_EQ(dialogsToSettle({0x10, 0x11}, {none, 7}, {100, 100}), Moves{});
    EXPECT_EQ(dialogsToSettle({}, {}, {}), Moves{});
    // Fewer parents or processes than windows: the missing ones count as none.
    EXPECT_EQ(dialogsToSettle({0x10, 0x11, 0x12}, {none, 0}, {100}), (Moves{{0x11, 0x10}}));
}

} // namespace
} // namespace tavrilux::x11
