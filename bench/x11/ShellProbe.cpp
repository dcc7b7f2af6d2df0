// Measures the tray application on a live test desktop (trayer, openbox, picom):
// - hotkey: from the Alt+Super+O press to the application's "toggled" line (the shell's part),
//   and from that line to the last overlay unmapped (the engine's own switch-off);
// - cpu: the application's CPU with dimming on, the panel closed and no focus changes;
// - panel: from a click on the tray icon to the panel's window mapped, and to the panel painted on
//   the screen (strips across its top and bottom, read back from the root window, equal to the
//   settled panel); the application's CPU while the panel stays open and idle; its resident
//   memory with the panel open, after the first opening and after all of them.
// Presses are seen as XInput 2 raw events, which reach this probe whoever grabs the key.
//
// Usage (DISPLAY set, a client of class Alpha mapped): tavrilux_shell_probe APP hotkey|cpu|panel
// [COUNT]
#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

xcb_connection_t* c = nullptr;
xcb_window_t root = 0;
std::uint8_t xiOpcode = 0;
int appStderr = -1;
std::string appOutput;

std::string wmClass(xcb_window_t w) {
    auto* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64), nullptr);
    std::string result;
    if (r != nullptr) {
        result.assign(static_cast<const char*>(xcb_get_property_value(r)),
                      static_cast<std::size_t>(xcb_get_property_value_length(r)));
        std::free(r);
    }
    return result;
}

bool isViewable(xcb_window_t w) {
    auto* r = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
    const bool viewable = r != nullptr && r->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(r);
    return viewable;
}

struct Box {
    int x = 0, y = 0, width = 0, height = 0;
};

// Viewable windows of the given WM_CLASS instance anywhere in the tree, root coordinates.
void find(xcb_window_t top, const std::string& instance, std::vector<Box>& out) {
    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, top), nullptr);
    for (int i = 0; tree != nullptr && i < xcb_query_tree_children_length(tree); ++i) {
        const xcb_window_t w = xcb_query_tree_children(tree)[i];
        if (wmClass(w).rfind(instance + '\0', 0) == 0 && isViewable(w)) {
            auto* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
            auto* t = xcb_translate_coordinates_reply(
                c, xcb_translate_coordinates(c, w, root, 0, 0), nullptr);
            if (g != nullptr && t != nullptr) {
                out.push_back({t->dst_x, t->dst_y, g->width, g->height});
            }
            std::free(g);
            std::free(t);
        }
        find(w, instance, out);
    }
    std::free(tree);
}

std::vector<Box> ours(int minWidth, int maxWidth) {
    std::vector<Box> all;
    find(root, "tavrilux", all);
    std::erase_if(all, [&](const Box& b) { return b.width < minWidth || b.width >= maxWidth; });
    return all;
}

// Overlays are children of the root; their mapping is followed through structure events.
std::set<xcb_window_t> mappedOverlays;

void readOverlays() {
    mappedOverlays.clear();
    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    for (int i = 0; tree != nullptr && i < xcb_query_tree_children_length(tree); ++i) {
        const xcb_window_t w = xcb_query_tree_children(tree)[i];
        if (wmClass(w).rfind("tavrilux-overlay", 0) == 0 && isViewable(w)) {
            mappedOverlays.insert(w);
        }
    }
    std::free(tree);
}

struct Events {
    std::optional<Clock::time_point> rawKey;
    std::optional<Clock::time_point> rawButton;
    std::optional<Clock::time_point> toggled;
    std::optional<Clock::time_point> overlaysGone;
    std::optional<Clock::time_point> mapped;
};

xcb_keycode_t keycodeO = 0;

// Reads what the server and the application said until `done` holds or `seconds` pass.
bool pump(Events& e, const std::function<bool()>& done, double seconds) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd fds[2] = {{xcb_get_file_descriptor(c), POLLIN, 0}, {appStderr, POLLIN, 0}};
        ::poll(fds, 2, static_cast<int>(std::min<long>(left.count(), 50)));
        const auto at = Clock::now();
        char buffer[4096];
        for (ssize_t n; (n = ::read(appStderr, buffer, sizeof buffer)) > 0;) {
            appOutput.append(buffer, static_cast<std::size_t>(n));
        }
        for (auto nl = appOutput.find('\n'); nl != std::string::npos; nl = appOutput.find('\n')) {
            if (appOutput.compare(0, nl, "[HotKey] Alt+Super+O toggled dimming") == 0) {
                e.toggled = at;
            }
            appOutput.erase(0, nl + 1);
        }
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            const auto type = event->response_type & 0x7f;
            const auto* ge = reinterpret_cast<xcb_ge_generic_event_t*>(event);
            if (type == XCB_GE_GENERIC && ge->extension == xiOpcode) {
                if (ge->event_type == XCB_INPUT_RAW_KEY_PRESS &&
                    reinterpret_cast<xcb_input_raw_key_press_event_t*>(event)->detail == keycodeO) {
                    e.rawKey = at;
                } else if (ge->event_type == XCB_INPUT_RAW_BUTTON_PRESS) {
                    e.rawButton = at;
                }
            } else if (type == XCB_UNMAP_NOTIFY) {
                const auto w = reinterpret_cast<xcb_unmap_notify_event_t*>(event)->window;
                if (mappedOverlays.erase(w) != 0 && mappedOverlays.empty()) {
                    e.overlaysGone = at;
                }
            } else if (type == XCB_MAP_NOTIFY) {
                const auto w = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
                if (wmClass(w).rfind("tavrilux-overlay", 0) == 0) {
                    mappedOverlays.insert(w);
                }
                e.mapped = at;
            }
            std::free(event);
        }
    }
    return true;
}

void spawn(std::vector<std::string> argv) {
    std::vector<char*> args;
    for (auto& a : argv) {
        args.push_back(a.data());
    }
    args.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) == 0) {
        std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
    }
}

double cpuSeconds(pid_t pid) {
    char text[1024] = {};
    if (FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r")) {
        text[std::fread(text, 1, sizeof text - 1, f)] = '\0';
        std::fclose(f);
    }
    const char* close = std::strrchr(text, ')');
    long utime = 0;
    long stime = 0;
    if (close != nullptr) {
        std::sscanf(close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &utime,
                    &stime);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

double cpuPercentOver(pid_t pid, double seconds) {
    const double before = cpuSeconds(pid);
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    return 100.0 * (cpuSeconds(pid) - before) /
           std::chrono::duration<double>(Clock::now() - start).count();
}

long residentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

// What the screen shows in two strips across a window: under its top edge and over its bottom.
std::vector<std::uint8_t> strips(const Box& b) {
    std::vector<std::uint8_t> pixels;
    const int inset = std::min(24, b.height / 4);
    for (const int y : {b.y + inset, b.y + b.height - inset - 12}) {
        auto* r = xcb_get_image_reply(
            c,
            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<std::int16_t>(b.x + 12),
                          static_cast<std::int16_t>(y), static_cast<std::uint16_t>(b.width - 24),
                          12, ~0u),
            nullptr);
        if (r != nullptr) {
            const auto* data = xcb_get_image_data(r);
            pixels.insert(pixels.end(), data, data + xcb_get_image_data_length(r));
            std::free(r);
        }
    }
    return pixels;
}

// Reads the strips every half millisecond until they show `settled`; when that happened.
std::optional<Clock::time_point> painted(const Box& b, const std::vector<std::uint8_t>& settled,
                                         double seconds) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < deadline) {
        const auto at = Clock::now();
        if (strips(b) == settled) {
            return at;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return std::nullopt;
}

double ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

void report(const char* what, std::vector<double> v) {
    if (v.empty()) {
        std::printf("%s: no sample\n", what);
        return;
    }
    std::sort(v.begin(), v.end());
    const auto at = [&](double p) {
        return v[std::min(v.size() - 1, static_cast<std::size_t>(std::ceil(p * v.size())) - 1)];
    };
    std::printf("%s over %zu: median %.2f ms, p95 %.2f ms, max %.2f ms\n", what, v.size(), at(0.5),
                at(0.95), v.back());
}

pid_t startApp(const std::string& app, const std::filesystem::path& home) {
    std::filesystem::create_directories(home / "config/tavrilux");
    std::filesystem::create_directories(home / "state");
    std::ofstream(home / "config/tavrilux/com.mirtal.tavrilux.json")
        << "{\"dimming.isEnabled\": true, \"dimming.blurIntensity\": 0, "
           "\"dimming.tintIntensity\": 0.5, \"dimming.grainIntensity\": 0, "
           "\"dimming.effectMode\": \"fullscreen\", \"dimming.appearanceDuration\": 0.25, "
           "\"dimming.activeMode\": \"custom\"}\n";
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        return -1;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        ::setenv("XDG_STATE_HOME", (home / "state").c_str(), 1);
        ::dup2(pipe[1], 2);
        ::execl(app.c_str(), app.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipe[1]);
    appStderr = pipe[0];
    ::fcntl(appStderr, F_SETFL, O_NONBLOCK);
    return pid;
}

void selectRaw() {
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
           XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS};
    std::free(xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
    xcb_input_xi_select_events(c, root, 1, &mask.head);
    const std::uint32_t structure[] = {XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY};
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, structure);
    const xcb_setup_t* setup = xcb_get_setup(c);
    auto* map = xcb_get_keyboard_mapping_reply(
        c,
        xcb_get_keyboard_mapping(
            c, setup->min_keycode,
            static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1)),
        nullptr);
    if (map != nullptr) {
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
        for (int k = 0; k <= setup->max_keycode - setup->min_keycode && keycodeO == 0; ++k) {
            if (syms[k * map->keysyms_per_keycode] == 0x6f) {
                keycodeO = static_cast<xcb_keycode_t>(setup->min_keycode + k);
            }
        }
        std::free(map);
    }
    xiOpcode = xcb_get_extension_data(c, &xcb_input_id)->major_opcode;
    xcb_flush(c);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s APP hotkey|cpu|panel [COUNT]\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[2];
    const int count = argc > 3 ? std::atoi(argv[3]) : 30;
    c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c) != 0) {
        std::fprintf(stderr, "probe: no X display\n");
        return 1;
    }
    root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    selectRaw();
    const auto home = std::filesystem::temp_directory_path() /
                      ("tavrilux-shell-probe-" + std::to_string(getpid()));
    const pid_t app = startApp(argv[1], home);
    Events e;
    int result = 0;
    if (!pump(
            e,
            [&] {
                readOverlays();
                return !mappedOverlays.empty() && !ours(0, 64).empty();
            },
            15.0)) {
        std::fprintf(stderr, "probe: no overlay or no tray icon\n");
        result = 1;
    } else if (mode == "hotkey") {
        std::vector<double> shell;
        std::vector<double> engine;
        std::vector<double> total;
        for (int i = 0; i < count; ++i) {
            e = Events{};
            spawn({"xdotool", "key", "super+alt+o"});
            if (pump(
                    e, [&] { return e.rawKey && e.toggled && e.overlaysGone; }, 5.0)) {
                shell.push_back(ms(*e.rawKey, *e.toggled));
                engine.push_back(ms(*e.toggled, *e.overlaysGone));
                total.push_back(ms(*e.rawKey, *e.overlaysGone));
            }
            e = Events{};
            spawn({"xdotool", "key", "super+alt+o"});
            pump(
                e, [&] { return e.toggled && !mappedOverlays.empty(); }, 5.0);
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        }
        report("hot-key press to the toggle (the shell's part)", shell);
        report("toggle to the last overlay unmapped (the engine's switch-off)", engine);
        report("hot-key press to the overlays gone", total);
        result = static_cast<int>(shell.size()) == count ? 0 : 1;
    } else if (mode == "cpu") {
        std::this_thread::sleep_for(std::chrono::seconds(2));
        std::printf("cpu with dimming on and the panel closed, over 20 s: %.2f %% of a core\n",
                    cpuPercentOver(app, 20.0));
    } else if (mode == "panel") {
        const Box icon = ours(0, 64).front();
        const std::string x = std::to_string(icon.x + icon.width / 2);
        const std::string y = std::to_string(icon.y + icon.height / 2);
        const auto click = [&] { spawn({"xdotool", "mousemove", x, y, "click", "1"}); };
        const auto closeAndWait = [&] {
            spawn({"xdotool", "click", "1"});
            pump(
                e, [&] { return ours(300, 1 << 16).empty(); }, 5.0);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        };
        // A first opening, left to settle, gives where the panel lies and how it looks.
        e = Events{};
        click();
        pump(
            e, [&] { return !ours(300, 1 << 16).empty(); }, 5.0);
        std::this_thread::sleep_for(std::chrono::seconds(2));
        const Box panel = ours(300, 1 << 16).front();
        const std::vector<std::uint8_t> settled = strips(panel);
        const long firstKiB = residentKiB(app);
        const double openCpu = cpuPercentOver(app, 10.0);
        closeAndWait();
        if (strips(panel) == settled) {
            std::fprintf(stderr, "probe: the closed panel still shows\n");
            result = 1;
        }
        std::vector<double> open;
        std::vector<double> shown;
        for (int i = 0; i < count; ++i) {
            e = Events{};
            click();
            if (pump(
                    e, [&] { return e.rawButton && e.mapped && !ours(300, 1 << 16).empty(); },
                    5.0)) {
                open.push_back(ms(*e.rawButton, *e.mapped));
                if (const auto at = painted(panel, settled, 5.0)) {
                    shown.push_back(ms(*e.rawButton, *at));
                }
            }
            closeAndWait();
        }
        e = Events{};
        click();
        pump(
            e, [&] { return !ours(300, 1 << 16).empty(); }, 5.0);
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const long lastKiB = residentKiB(app);
        report("tray click to the panel's window mapped", open);
        report("tray click to the panel painted on the screen", shown);
        std::printf("cpu with the panel open and idle, over 10 s: %.2f %% of a core\n", openCpu);
        std::printf("resident memory with the panel open: %.1f MB at the first opening, %.1f MB "
                    "after %d more\n",
                    firstKiB / 1024.0, lastKiB / 1024.0, count + 1);
        result = static_cast<int>(shown.size()) == count ? result : 1;
    }
    ::kill(app, SIGTERM);
    int status = 0;
    ::waitpid(app, &status, 0);
    std::filesystem::remove_all(home);
    readOverlays();
    if (!mappedOverlays.empty()) {
        std::fprintf(stderr, "probe: overlays left after the application ended\n");
        result = 1;
    }
    xcb_disconnect(c);
    return result;
}
