#include "platform/x11/X11WorkArea.h"

#include "TestDesktopFixture.h"

#include <gtest/gtest.h>

#include <ostream>

namespace tavrilux::x11 {

void PrintTo(const X11WorkArea::Box& box, std::ostream* out) {
    *out << box.width << "x" << box.height << "+" << box.x << "+" << box.y;
}

namespace {

using Box = X11WorkArea::Box;
using Strut = X11WorkArea::Strut;

// Two 1280x800 monitors side by side.
constexpr Box kLeft{0, 0, 1280, 800};
constexpr Box kRight{1280, 0, 1280, 800};

Strut top(int thickness, int start, int end) {
    Strut s;
    s.top = {thickness, start, end};
    return s;
}

TEST(X11WorkAreaTest, DocksShortenOnlyTheMonitorsTheyReachIntoWhateverTheWorkAreaSays) {
    // openbox: a bar on each monitor's top, and one work area 160 short for both.
    const X11WorkArea::Reservations openbox{
        2560, 800, Box{0, 160, 2560, 640}, {top(120, 0, 1279), top(160, 1280, 2559)}};
    EXPECT_EQ(X11WorkArea::ofMonitor(kLeft, openbox), (Box{0, 120, 1280, 680}));
    EXPECT_EQ(X11WorkArea::ofMonitor(kRight, openbox), (Box{1280, 160, 1280, 640}));
    // A bar on the left monitor alone: the right one stays whole.
    const X11WorkArea::Reservations one{2560, 800, Box{0, 30, 2560, 770}, {top(30, 0, 1279)}};
    EXPECT_EQ(X11WorkArea::ofMonitor(kRight, one), kRight);
    // fluxbox leaves out a bar on the monitor it does not count first; xfwm4 one it does not see
    // at all (its work area covers the left monitor only).
    const X11WorkArea::Reservations fluxbox{2560, 800, Box{0, 0, 2560, 800}, {top(30, 1280, 2559)}};
    EXPECT_EQ(X11WorkArea::ofMonitor(kRight, fluxbox), (Box{1280, 30, 1280, 770}));
    const X11WorkArea::Reservations xfwm4{2560, 800, Box{0, 0, 1280, 800}, {top(30, 1280, 2559)}};
    EXPECT_EQ(X11WorkArea::ofMonitor(kRight, xfwm4), (Box{1280, 30, 1280, 770}));
    EXPECT_EQ(X11WorkArea::ofMonitor(kLeft, xfwm4), kLeft);
    // No work area published (i3): the docks alone.
    EXPECT_EQ(X11WorkArea::ofMonitor(kLeft, {2560, 800, std::nullopt, {top(24, 0, 1279)}}),
              (Box{0, 24, 1280, 776}));
}

TEST(X11WorkAreaTest, WhatTheWindowManagerKeepsBeyondTheDocksComesOffEveryMonitorAtThatEdge) {
    // fluxbox's own toolbar, 20 pixels at the bottom, is no dock: its work area alone says so.
    const X11WorkArea::Reservations toolbar{2560, 800, Box{0, 30, 2560, 750}, {top(30, 0, 1279)}};
    EXPECT_EQ(X11WorkArea::ofMonitor(kLeft, toolbar), (Box{0, 30, 1280, 750}));
    EXPECT_EQ(X11WorkArea::ofMonitor(kRight, toolbar), (Box{1280, 0, 1280, 780}));
    // Margins wider than the bar: the whole margin, on both monitors.
    const X11WorkArea::Reservations margin{2560, 800, Box{0, 40, 2560, 760}, {top(30, 0, 1279)}};
    EXPECT_EQ(X11WorkArea::ofMonitor(kRight, margin), (Box{1280, 40, 1280, 760}));
}

TEST(X11WorkAreaTest, EachEdgeFromItsOwnSideAndOnlyWhereItsStripLies) {
    Strut s;
    s.left = {50, 100, 699};           // a vertical bar on the left monitor
    s.right = {40, 0, 799};            // one along the right monitor's right edge
    s.bottom = {24, 1400, 1599};       // a short tray on the right monitor
    s.top = {30, 1280 - 10, 1280 + 9}; // a strip across the seam reaches into both
    const X11WorkArea::Reservations r{2560, 800, std::nullopt, {s}};
    EXPECT_EQ(X11WorkArea::ofMonitor(kLeft, r), (Box{50, 30, 1230, 770}));
    EXPECT_EQ(X11WorkArea::ofMonitor(kRight, r), (Box{1280, 30, 1240, 746}));
    // A monitor below the top one: the top strip does not reach it.
    const X11WorkArea::Reservations stacked{1280, 1600, std::nullopt, {top(30, 0, 1279)}};
    EXPECT_EQ(X11WorkArea::ofMonitor({0, 800, 1280, 800}, stacked), (Box{0, 800, 1280, 800}));
    // A strip that covers the monitor leaves nothing: the whole monitor, not an empty area.
    const X11WorkArea::Reservations covering{2560, 800, std::nullopt, {top(800, 0, 1279)}};
    EXPECT_EQ(X11WorkArea::ofMonitor(kLeft, covering), kLeft);
}

// On the test desktop: what openbox publishes, and the struts of the docks that show.
class X11WorkAreaDesktopTest : public testdesktop::TestDesktopFixture {};

TEST_F(X11WorkAreaDesktopTest, ReadsTheWorkAreaAndTheStrutsOfTheDocksThatShow) {
    startManagedClient(
        {"--class", "bar,Bar", "--type", "DOCK", "--geometry", "1280x30+0+0", "--strut", "top"});
    const auto aside = startManagedClient({"--class", "side,Bar", "--type", "DOCK", "--geometry",
                                           "50x600+2510+100", "--strut", "right"})
                           .windows.front();
    ASSERT_TRUE(testdesktop::DesktopControl::waitUntil([&] {
        const auto r = X11WorkArea::read(c(), control->root());
        return r.workArea && r.workArea->width == 2510;
    }));
    auto r = X11WorkArea::read(c(), control->root());
    EXPECT_EQ(r.rootWidth, 2560);
    EXPECT_EQ(r.rootHeight, 800);
    EXPECT_EQ(*r.workArea, (Box{0, 30, 2510, 770}));
    ASSERT_EQ(r.struts.size(), 2u);
    EXPECT_EQ(X11WorkArea::ofMonitor(kRight, r), (Box{1280, 0, 1230, 800}));

    // A dock on another desktop shows nowhere here.
    control->moveToDesktop(aside, 1);
    ASSERT_TRUE(testdesktop::DesktopControl::waitUntil(
        [&] { return X11WorkArea::read(c(), control->root()).struts.size() == 1; }));
    r = X11WorkArea::read(c(), control->root());
    EXPECT_EQ(r.struts.front().top.thickness, 30);
    EXPECT_EQ(r.struts.front().top.end, 1279);
}

} // namespace
} // namespace tavrilux::x11
