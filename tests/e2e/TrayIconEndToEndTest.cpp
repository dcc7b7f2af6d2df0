#include "ShellEndToEndFixture.h"

#include <gtest/gtest.h>

namespace tavrilux::e2e::shell {
namespace {

TEST_F(ShellEndToEndTest, WithoutATrayItKeepsDimmingAndTheIconComesWithATray) {
    ASSERT_TRUE(sh("kill $(xdotool search --limit 1 --class trayer getwindowpid)"));
    ASSERT_TRUE(soon([&] { return !sh("xdotool search --class trayer"); }));
    startAlpha();
    launch();
    ASSERT_TRUE(soon([&] { return overlays() > 0; }, 10s));
    ASSERT_TRUE(sh("xdotool key super+alt+o"));
    EXPECT_TRUE(soon([&] { return stored() == false && overlays() == 0; }));

    // A tray host comes (back), a dark one: the icon embeds with the current state, its
    // umbrella light. (It ends with the X server.)
    ASSERT_TRUE(sh("trayer --edge bottom --align right --widthtype request --height 24 "
                   "--tint 0x202020 --transparent true --alpha 0 >/dev/null 2>&1 &"));
    std::optional<DesktopControl::Geometry> icon;
    ASSERT_TRUE(soon([&] { return dot() == 'r' && (icon = trayIcon()); }, 10s));
    EXPECT_GT(iconPixels([](const auto& p) { return p.red + p.green + p.blue > 360; }), 20);
    const auto corner = control->pixel(icon->x, icon->y);
    EXPECT_LT(corner.red + corner.green + corner.blue, 150) << "the tray shows around it";
    clickIcon();
    EXPECT_TRUE(soon([&] { return panels() == 1; }));
    EXPECT_EQ(said("no system tray"), 1u) << app->standardError();
    EXPECT_EQ(said("[HotKey] Registered Alt+Super+O"), 1u);
    EXPECT_EQ(app->terminate(), 0);
    EXPECT_EQ(overlays(), 0);
}

TEST_F(ShellEndToEndTest, OnTraysThatNameNoColoursTheUmbrellaStandsOutLightOrDark) {
    // A dark tray (trayer tinted nearly black), then the light one, then a mid-grey one: each
    // time a tray of its own, the icon embedding anew.
    const struct {
        const char* options;
        std::function<bool(int)> trayLightness; // of the tray's grey
    } trays[] = {
        {"--tint 0x202020 --transparent true --alpha 0", [](int v) { return v < 60; }},
        {"", [](int v) { return v > 180; }},
        {"--tint 0x808080 --transparent true --alpha 0", [](int v) { return v > 100 && v < 160; }},
    };
    restartTrayer(trays[0].options);
    launch();
    for (const auto& tray : trays) {
        if (&tray != &trays[0]) {
            restartTrayer(tray.options);
        }
        std::optional<Umbrella> seen;
        EXPECT_TRUE(soon(
            [&] {
                seen = umbrella();
                return seen && tray.trayLightness(seen->tray.green) && seen->contrast() >= 3.0 &&
                       dot() == 'g';
            },
            10s))
            << tray.options << ": " << (seen ? seen->describe() : "no umbrella") << " "
            << (seen ? seen->contrast() : 0.0) << ":1, dot " << dot();
    }
    EXPECT_EQ(said("toggled"), 0u);
}

TEST_F(ShellEndToEndTest, TheUmbrellaFollowsTheTraysColoursWhileItRunsAndANewTray) {
    launch();
    ASSERT_TRUE(soon([&] { return dot() == 'g' && umbrella().has_value(); }, 10s));
    const auto bodyNear = [&](const DesktopControl::Colour& colour) {
        std::optional<Umbrella> seen;
        const bool reached = soon([&] {
            seen = umbrella();
            return seen && near(seen->body, colour);
        });
        EXPECT_TRUE(reached) << "wanted " << str(colour) << ", shows "
                             << (seen ? seen->describe() : "no umbrella");
        return reached;
    };
    const xcb_window_t manager = trayManager();
    ASSERT_NE(manager, 0u);
    setTrayColours(manager, std::array<std::uint16_t, 3>{0xffff, 0x8080, 0});
    bodyNear({255, 128, 0});
    setTrayColours(manager, std::array<std::uint16_t, 3>{0, 0x6060, 0xffff});
    bodyNear({0, 96, 255});
    // Named no more: back to a colour of its own, dark on the light tray.
    setTrayColours(manager, std::nullopt);
    std::optional<Umbrella> seen;
    EXPECT_TRUE(soon([&] {
        seen = umbrella();
        return seen && seen->contrast() >= 3.0 && seen->body.red + seen->body.green < 150;
    })) << (seen ? seen->describe() : "no umbrella");

    // The tray restarts: the new one's colours are followed as well.
    const xcb_window_t next = restartTrayer("");
    ASSERT_TRUE(soon([&] { return dot() == 'g' && umbrella().has_value(); }, 10s));
    setTrayColours(next, std::array<std::uint16_t, 3>{0xffff, 0x8080, 0});
    bodyNear({255, 128, 0});
    EXPECT_EQ(said("toggled"), 0u) << "never switched off and on";
}

} // namespace
} // namespace tavrilux::e2e::shell
