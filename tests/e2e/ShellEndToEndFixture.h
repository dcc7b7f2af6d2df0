#pragma once

// The tray application on the test desktop: its fixture and the helpers its tests share.

#include "EngineProcess.h"
#include "PressLog.h"
#include "TestDesktopFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace tavrilux::e2e::shell {

using testdesktop::DesktopControl;
using namespace std::chrono_literals;

inline bool soon(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s) {
    return DesktopControl::waitUntil(condition, timeout);
}

// WCAG 2 contrast of two sRGB colours, 1 to 21.
inline double contrast(const DesktopControl::Colour& a, const DesktopControl::Colour& b) {
    const auto luminance = [](const DesktopControl::Colour& c) {
        const auto linear = [](int channel) {
            const double v = channel / 255.0;
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.red) + 0.7152 * linear(c.green) + 0.0722 * linear(c.blue);
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

inline bool near(const DesktopControl::Colour& a, const DesktopControl::Colour& b, int by = 12) {
    return std::abs(a.red - b.red) <= by && std::abs(a.green - b.green) <= by &&
           std::abs(a.blue - b.blue) <= by;
}

inline std::string str(const DesktopControl::Colour& c) {
    return "(" + std::to_string(c.red) + "," + std::to_string(c.green) + "," +
           std::to_string(c.blue) + ")";
}

inline testdesktop::PressLog::Entry pressOf(std::uint32_t button) {
    return {testdesktop::PressLog::Entry::Kind::press, button};
}
inline testdesktop::PressLog::Entry gone(xcb_window_t window) {
    return {testdesktop::PressLog::Entry::Kind::gone, window};
}

// The whole application on the test desktop: its icon in trayer, its panel, menu and hot key.
class ShellEndToEndTest : public testdesktop::TestDesktopFixture {
protected:
    void TearDown() override {
        app.reset();
        TestDesktopFixture::TearDown();
    }

    bool sh(const std::string& command) {
        return std::system(("export DISPLAY=" + desktop->display() + "; " + command).c_str()) == 0;
    }

    // Viewable windows whose WM_CLASS starts with `instance`, anywhere in the tree, at least
    // `minWidth` and below `maxWidth` wide.
    std::vector<xcb_window_t> windows(const std::string& instance, int minWidth = 0,
                                      int maxWidth = 1 << 16, xcb_window_t top = 0) {
        std::vector<xcb_window_t> found;
        for (const xcb_window_t w : control->children(top ? top : control->root())) {
            const auto g = control->geometry(w);
            if (g && g->width >= minWidth && g->width < maxWidth && control->isViewable(w) &&
                control->wmClass(w).rfind(instance + '\0', 0) == 0) {
                found.push_back(w);
            }
            const auto below = windows(instance, minWidth, maxWidth, w);
            found.insert(found.end(), below.begin(), below.end());
        }
        return found;
    }
    // The status icon once the tray has placed it, inside the tray's own window: while the tray
    // makes room for it, it shows beside that window for a moment, where a click would miss it.
    std::optional<DesktopControl::Geometry> trayIcon() {
        const auto icons = windows("tavrilux", 0, 64);
        if (icons.empty() || control->topLevelOf(icons.front()) == icons.front()) {
            return std::nullopt;
        }
        const auto icon = control->geometry(icons.front());
        const auto tray = control->frameGeometry(icons.front());
        const bool placed = icon && tray && icon->x >= tray->x && icon->y >= tray->y &&
                            icon->x + icon->width <= tray->x + tray->width &&
                            icon->y + icon->height <= tray->y + tray->height;
        return placed ? icon : std::nullopt;
    }
    // Right-clicks the icon and picks from its menu (About, Settings, Quit) with `keys`: each
    // time a little aside from the last, so that two quick ones make no double click.
    void choose(const std::string& keys) {
        clickIcon(3, ++menus_ % 2 == 0 ? 6 : -6);
        // The menu: small, and below the width of the About window.
        ASSERT_TRUE(soon([&] { return !windows("tavrilux", 64, 200).empty(); }));
        ASSERT_TRUE(sh("xdotool key " + keys));
    }
    // The quick panel, not the wider settings window.
    int panels() { return static_cast<int>(windows("tavrilux", 300, 500).size()); }
    // The first window `windows()` finds, once one shows (or `count` of them); none when none
    // came in time. Read once, where the condition held.
    std::optional<xcb_window_t> soonShown(const std::string& instance, int minWidth, int maxWidth,
                                          std::chrono::milliseconds timeout = 5s,
                                          std::size_t count = 0) {
        std::vector<xcb_window_t> shown;
        if (!soon(
                [&] {
                    shown = windows(instance, minWidth, maxWidth);
                    return count == 0 ? !shown.empty() : shown.size() == count;
                },
                timeout)) {
            return std::nullopt;
        }
        return shown.front();
    }
    // The quick panel once it shows, alone.
    std::optional<xcb_window_t> soonPanel() { return soonShown("tavrilux", 300, 500, 5s, 1); }
    // Where `w` lies now; a failure when it is gone.
    DesktopControl::Geometry geometryOf(xcb_window_t w) {
        const auto g = control->geometry(w);
        EXPECT_TRUE(g.has_value()) << "window " << w << " is gone";
        return g.value_or(DesktopControl::Geometry{});
    }
    int overlays() { return static_cast<int>(windows("tavrilux-overlay").size()); }

    // The status dot's colour: 'g' green, 'r' red, '?' anything else.
    char dot() {
        const auto icon = trayIcon();
        if (!icon) {
            return '?';
        }
        const int d = icon->width / 3;
        const auto p =
            control->pixel(icon->x + icon->width - 1 - d / 2, icon->y + icon->height - d / 2);
        return p.green > 150 && p.red < 120 ? 'g' : p.red > 200 && p.green < 120 ? 'r' : '?';
    }

    // Pixels of the icon above its dot that `matches` accepts.
    int iconPixels(const std::function<bool(const DesktopControl::Colour&)>& matches) {
        const auto icon = trayIcon();
        int found = 0;
        for (int i = 0; icon && i < icon->width * icon->height * 2 / 3; ++i) {
            found += matches(control->pixel(icon->x + i % icon->width, icon->y + i / icon->width));
        }
        return found;
    }

    // The umbrella as the screen shows it: the tray around it (the icon's top-left corner, which
    // the glyph leaves clear) and its body, the commonest colour of the icon apart from the tray,
    // the status dot and its edge's blend.
    struct Umbrella {
        DesktopControl::Colour tray;
        DesktopControl::Colour body;
        double contrast() const { return shell::contrast(tray, body); }
        std::string describe() const { return str(body) + " on " + str(tray); }
    };
    std::optional<Umbrella> umbrella() {
        const auto icon = trayIcon();
        if (!icon) {
            return std::nullopt;
        }
        const auto tray = control->pixel(icon->x, icon->y);
        const int d = icon->width / 3;
        std::map<std::array<int, 3>, int> seen;
        for (int y = 0; y < icon->height; ++y) {
            for (int x = 0; x < icon->width; ++x) {
                if (x >= icon->width - d - 2 && y >= icon->height - d - 1) {
                    continue; // the dot
                }
                const auto p = control->pixel(icon->x + x, icon->y + y);
                if (!near(p, tray, 24)) {
                    ++seen[{p.red, p.green, p.blue}];
                }
            }
        }
        const auto commonest =
            std::max_element(seen.begin(), seen.end(),
                             [](const auto& a, const auto& b) { return a.second < b.second; });
        if (commonest == seen.end() || commonest->second < 5) {
            return std::nullopt;
        }
        const auto& [r, g, b] = commonest->first;
        return Umbrella{tray, {r, g, b}};
    }

    // The window that owns the tray selection now; 0 without a tray.
    xcb_window_t trayManager() {
        const auto owner = xcb_get_selection_owner_reply(
            c(), xcb_get_selection_owner(c(), control->atom("_NET_SYSTEM_TRAY_S0")), nullptr);
        const xcb_window_t window = owner != nullptr ? owner->owner : 0;
        std::free(owner);
        return window;
    }
    // The foreground of _NET_SYSTEM_TRAY_COLORS on `manager`, as a tray sets it; none removes it.
    void setTrayColours(xcb_window_t manager, std::optional<std::array<std::uint16_t, 3>> rgb) {
        const xcb_atom_t colours = control->atom("_NET_SYSTEM_TRAY_COLORS");
        if (!rgb) {
            xcb_delete_property(c(), manager, colours);
        } else {
            // Foreground, error, warning and success.
            const std::array<std::uint32_t, 12> value{
                (*rgb)[0], (*rgb)[1], (*rgb)[2], 0xffff, 0, 0, 0xffff, 0xffff, 0, 0, 0xffff, 0};
            xcb_change_property(c(), XCB_PROP_MODE_REPLACE, manager, colours, XCB_ATOM_CARDINAL, 32,
                                static_cast<std::uint32_t>(value.size()), value.data());
        }
        xcb_flush(c());
    }
    // Ends the running trayer and starts another one with `options`, as the desktop starts it
    // otherwise; returns its tray manager window. (It ends with the X server.)
    xcb_window_t restartTrayer(const std::string& options) {
        const xcb_window_t before = trayManager();
        EXPECT_TRUE(sh("kill $(xdotool search --limit 1 --class trayer getwindowpid)"));
        EXPECT_TRUE(
            soon([&] { return trayManager() != before && !sh("xdotool search --class trayer"); }));
        EXPECT_TRUE(sh("trayer --edge bottom --align right --widthtype request --height 24 "
                       "--monitor primary " +
                       options + " >/dev/null 2>&1 &"));
        EXPECT_TRUE(soon([&] { return trayManager() != 0; }, 10s));
        return trayManager();
    }

    void clickIcon(int button = 1, int aside = 0) {
        const auto icon = trayIcon();
        ASSERT_TRUE(icon);
        ASSERT_TRUE(sh("xdotool mousemove " + std::to_string(icon->x + icon->width / 2 + aside) +
                       " " + std::to_string(icon->y + icon->height / 2) + " click " +
                       std::to_string(button)));
    }
    xcb_window_t startAlpha() {
        const auto alpha =
            startManagedClient({"--class", "alpha,alpha", "--geometry", "400x300+100+100"})
                .windows.at(0);
        control->activate(alpha);
        return alpha;
    }

    // "dimming.isEnabled" as the application last wrote it.
    std::optional<bool> stored() {
        std::smatch match;
        const std::string json = app->storedSettings();
        if (!std::regex_search(json, match, std::regex(R"("dimming.isEnabled": *(true|false))"))) {
            return std::nullopt;
        }
        return match[1] == "true";
    }
    std::size_t said(const std::string& line) { return app->said(line); }

    // The 32-bit values of a window's property, whatever its type; empty while it has none.
    std::vector<std::uint32_t> values(xcb_window_t window, const std::string& property) {
        xcb_get_property_reply_t* reply =
            xcb_get_property_reply(c(),
                                   xcb_get_property(c(), 0, window, control->atom(property),
                                                    XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
                                   nullptr);
        std::vector<std::uint32_t> found;
        if (reply != nullptr && reply->format == 32) {
            const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
            found.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
        return found;
    }
    // Whether the window manager lets the user do `action` (_NET_WM_ACTION_...) to `window`.
    bool allows(xcb_window_t window, const std::string& action) {
        const auto actions = values(window, "_NET_WM_ALLOWED_ACTIONS");
        return std::find(actions.begin(), actions.end(),
                         control->atom("_NET_WM_ACTION_" + action)) != actions.end();
    }

    void launch() {
        app = std::make_unique<EngineProcess>(desktop->display(), EngineLook{});
        ASSERT_TRUE(soon([&] { return said("[HotKey] ") > 0; }, 10s)) << app->standardError();
    }

    std::unique_ptr<EngineProcess> app;
    int menus_ = 0;
};

} // namespace tavrilux::e2e::shell
