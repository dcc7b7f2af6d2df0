#include "platform/x11/X11Monitors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrilux::x11 {
namespace {

X11Monitors::Monitor monitor(const std::string& name, int x, int y, int width, int height,
                             bool primary = false) {
    X11Monitors::Monitor m;
    m.localizedName = name;
    m.primary = primary;
    m.x = static_cast<std::int16_t>(x);
    m.y = static_cast<std::int16_t>(y);
    m.width = static_cast<std::uint16_t>(width);
    m.height = static_cast<std::uint16_t>(height);
    return m;
}

std::vector<std::string> names(const std::vector<X11Monitors::Monitor>& monitors) {
    std::vector<std::string> result;
    for (const auto& m : monitors) {
        result.push_back(m.localizedName);
    }
    return result;
}

using Names = std::vector<std::string>;

TEST(X11MonitorsTest, AMonitorInsideAnothersRectangleIsPartOfThatDisplay) {
    // Mirrored outputs of one size: the first (primary first) stays.
    EXPECT_EQ(names(X11Monitors::displaysOf(
                  {monitor("a", 0, 0, 1280, 800), monitor("b", 0, 0, 1280, 800, true)})),
              (Names{"b"}));
    // Of two sizes: the larger holds the smaller, whichever comes first, and takes the place of
    // the first it holds (so a primary's place).
    EXPECT_EQ(names(X11Monitors::displaysOf({monitor("small", 0, 0, 1280, 720, true),
                                             monitor("side", 1600, 0, 1280, 800),
                                             monitor("large", 0, 0, 1600, 900)})),
              (Names{"large", "side"}));
    EXPECT_EQ(names(X11Monitors::displaysOf(
                  {monitor("large", 0, 0, 1600, 900), monitor("small", 100, 100, 1280, 720)})),
              (Names{"large"}));
    // One that holds two earlier ones takes the place of the first and the second goes.
    EXPECT_EQ(names(X11Monitors::displaysOf(
                  {monitor("left", 0, 0, 640, 400), monitor("other", 3000, 0, 100, 100),
                   monitor("right", 640, 0, 640, 400), monitor("whole", 0, 0, 1280, 400)})),
              (Names{"whole", "other"}));
}

TEST(X11MonitorsTest, PartlyOverlappingAndEmptyMonitors) {
    // Sharing a part without one holding the other: two displays.
    EXPECT_EQ(names(X11Monitors::displaysOf(
                  {monitor("left", 0, 0, 1280, 800), monitor("across", 960, 300, 640, 400)})),
              (Names{"left", "across"}));
    // Touching at an edge, or the same width but lower: not inside.
    EXPECT_EQ(names(X11Monitors::displaysOf(
                  {monitor("left", 0, 0, 1280, 800), monitor("below", 0, 400, 1280, 800)})),
              (Names{"left", "below"}));
    // A monitor of no area is no display, and holds nothing.
    EXPECT_EQ(names(X11Monitors::displaysOf(
                  {monitor("none", 0, 0, 0, 0), monitor("left", 0, 0, 1280, 800)})),
              (Names{"left"}));
    EXPECT_TRUE(X11Monitors::displaysOf({}).empty());
}

} // namespace
} // namespace tavrilux::x11
