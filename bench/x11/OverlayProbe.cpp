// Measures the engine on a live desktop: the time from a change of _NET_ACTIVE_WINDOW to an
// overlay lying directly below the new application's frame (both seen as X events by this
// probe), the engine's CPU during cross-fades and at rest, and its resident memory over many
// focus switches.
//
// Usage (DISPLAY set, test clients of classes Alpha and Beta on the first monitor and Gamma on
// the second already mapped): tavrilux_overlay_probe ENGINE latency|cpu|memory [COUNT [WINDOWS...]]
// WINDOWS (latency only): one run of COUNT switches for each number of managed windows, in the
// order given, each with an engine of its own; filler windows of $TAVRILUX_TEST_CLIENT make up
// the number on the second monitor, below Gamma, so the switched monitor stays as it was.
#include "StackingWatcher.h"

#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
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
#include <memory>
#include <numeric>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

xcb_connection_t* c = nullptr;
xcb_window_t root = 0;

xcb_atom_t atom(const char* name) {
    auto* r = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r != nullptr ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(r);
    return a;
}

std::string wmClass(xcb_window_t w) {
    auto* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64), nullptr);
    std::string result;
    if (r != nullptr) {
        const char* v = static_cast<const char*>(xcb_get_property_value(r));
        result.assign(v, static_cast<std::size_t>(xcb_get_property_value_length(r)));
        std::free(r);
    }
    return result;
}

std::vector<xcb_window_t> clientList() {
    auto* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 0, 1024),
        nullptr);
    std::vector<xcb_window_t> result;
    if (r != nullptr) {
        const auto* v = static_cast<const xcb_window_t*>(xcb_get_property_value(r));
        result.assign(v, v + xcb_get_property_value_length(r) / 4);
        std::free(r);
    }
    return result;
}

// Fillers: applications of up to ten small windows each, started anew for every run.
std::vector<pid_t> fillers;

void stopFillers() {
    for (pid_t pid : fillers) {
        kill(pid, SIGTERM);
    }
    for (pid_t pid : fillers) {
        int status = 0;
        waitpid(pid, &status, 0);
    }
    fillers.clear();
}

void startFillers(int windows) {
    const char* client = std::getenv("TAVRILUX_TEST_CLIENT");
    for (int app = 0; windows > 0; ++app) {
        const int count = std::min(windows, 10);
        windows -= count;
        const std::string name = "filler" + std::to_string(app);
        const std::string classes = name + ",Filler" + std::to_string(app);
        const std::string geometry =
            "160x120+" + std::to_string(1300 + 14 * app) + "+" + std::to_string(420 + 4 * app);
        const std::string number = std::to_string(count);
        const pid_t pid = fork();
        if (pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            execl(client, client, "--class", classes.c_str(), "--geometry", geometry.c_str(),
                  "--color", "777777", "--count", number.c_str(), "--step", "3",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        fillers.push_back(pid);
    }
}

std::optional<xcb_window_t> findClient(const std::string& instance) {
    for (xcb_window_t w : clientList()) {
        if (wmClass(w).rfind(instance + '\0', 0) == 0) {
            return w;
        }
    }
    return std::nullopt;
}

xcb_window_t frameOf(xcb_window_t w) {
    for (;;) {
        auto* r = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
        if (r == nullptr) {
            return w;
        }
        const xcb_window_t parent = r->parent;
        std::free(r);
        if (parent == root || parent == XCB_WINDOW_NONE) {
            return w;
        }
        w = parent;
    }
}

std::set<xcb_window_t> knownOverlays;

bool isOverlay(xcb_window_t w) {
    if (knownOverlays.count(w) != 0) {
        return true;
    }
    if (wmClass(w).rfind(std::string("tavrilux-overlay") + '\0', 0) == 0) {
        knownOverlays.insert(w);
        return true;
    }
    return false;
}

bool isViewable(xcb_window_t w) {
    auto* r = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
    const bool viewable = r != nullptr && r->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(r);
    return viewable;
}

// An overlay is mapped directly below `frame` in the root's stacking order.
bool overlayDirectlyBelow(xcb_window_t frame) {
    auto* r = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    if (r == nullptr) {
        return false;
    }
    const xcb_window_t* children = xcb_query_tree_children(r);
    const int n = xcb_query_tree_children_length(r);
    bool found = false;
    for (int i = 1; i < n; ++i) {
        if (children[i] == frame) {
            found = isOverlay(children[i - 1]) && isViewable(children[i - 1]);
            break;
        }
    }
    std::free(r);
    return found;
}

// The root's children as the structure events since the watcher started tell them.
std::unique_ptr<tavrilux::testdesktop::StackingWatcher> watcher;

// The same from the watcher's stacking, without asking the server.
bool overlayDirectlyBelowNow(xcb_window_t frame) {
    const int i = watcher->indexOf(frame);
    if (i <= 0) {
        return false;
    }
    const auto& below = watcher->children()[static_cast<std::size_t>(i - 1)];
    return below.mapped && isOverlay(below.window);
}

int visibleOverlayCount() {
    auto* r = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    int count = 0;
    if (r != nullptr) {
        const xcb_window_t* children = xcb_query_tree_children(r);
        for (int i = 0; i < xcb_query_tree_children_length(r); ++i) {
            count += isOverlay(children[i]) && isViewable(children[i]);
        }
        std::free(r);
    }
    return count;
}

void activate(xcb_window_t w) {
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = w;
    e.type = atom("_NET_ACTIVE_WINDOW");
    e.data.data32[0] = 2;
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&e));
    xcb_flush(c);
}

void drain() {
    while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
        std::free(e);
    }
}

bool waitFor(const std::function<bool()>& condition, double seconds) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

// TAVRILUX_PROBE_BLUR sets the blur intensity (0 by default: a plain tint; above 0 the frosted
// fill, grain and border are drawn too).
pid_t startEngine(const std::string& engine, const std::filesystem::path& home, double fade) {
    const char* blurText = std::getenv("TAVRILUX_PROBE_BLUR");
    const double blur = blurText != nullptr ? std::atof(blurText) : 0.0;
    std::filesystem::create_directories(home / "config/tavrilux");
    std::filesystem::create_directories(home / "state");
    std::ofstream(home / "config/tavrilux/com.mirtal.tavrilux.json")
        << "{\"dimming.isEnabled\": true, \"dimming.blurIntensity\": " << blur
        << ", \"dimming.tintIntensity\": 0.5, \"dimming.overlayColor.red\": 0, "
           "\"dimming.overlayColor.green\": 0, \"dimming.overlayColor.blue\": 0, "
           "\"dimming.grainIntensity\": 0.25, \"dimming.effectMode\": \"fullscreen\", "
           "\"dimming.ambientFadeStart\": 0.5, \"dimming.appearanceDuration\": "
        << fade << ", \"dimming.auraIntensity\": 0.35, \"dimming.activeMode\": \"custom\"}\n";
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        setenv("XDG_STATE_HOME", (home / "state").c_str(), 1);
        execl(engine.c_str(), engine.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

std::string readFile(const std::string& path) {
    std::string text;
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        return text;
    }
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return text;
}

double cpuSeconds(pid_t pid) {
    const std::string text = readFile("/proc/" + std::to_string(pid) + "/stat");
    const auto close = text.rfind(')');
    if (close == std::string::npos) {
        return 0.0;
    }
    // Fields after the command: state is field 3, utime 14, stime 15.
    long utime = 0;
    long stime = 0;
    std::sscanf(text.c_str() + close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld",
                &utime, &stime);
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long rssKiB(pid_t pid) {
    const std::string text = readFile("/proc/" + std::to_string(pid) + "/status");
    const auto at = text.find("VmRSS:");
    return at == std::string::npos ? -1 : std::atol(text.c_str() + at + 6);
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(std::min<double>(
        static_cast<double>(v.size() - 1), std::ceil(p * static_cast<double>(v.size())) - 1));
    return v[i];
}

// Switches with the overlay already in place when _NET_ACTIVE_WINDOW changed: the window manager
// raised the window first and the engine, which follows the stacking, was there before the focus.
int earlierThanTheFocus = 0;

// Milliseconds from the first change of _NET_ACTIVE_WINDOW to an overlay lying directly below the
// target's frame, and from its last change before that: window managers that clear it first (as
// openbox does) name the new window only later, and no program can follow before.
struct Switch {
    double fromFirst = -1.0;
    double fromLast = -1.0;
};

// Switches focus to `target`: both zero when the overlay lay there already, negative when it
// never did.
Switch timedSwitch(xcb_window_t target, xcb_atom_t activeAtom) {
    const xcb_window_t frame = frameOf(target);
    drain();
    xcb_connection_t* events = watcher->connection();
    while (xcb_generic_event_t* e = xcb_poll_for_event(events)) {
        watcher->apply(*e);
        std::free(e);
    }
    activate(target);
    std::optional<Clock::time_point> changed;
    Clock::time_point lastChange;
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    while (Clock::now() < deadline) {
        xcb_generic_event_t* e = xcb_poll_for_event(events);
        if (e == nullptr) {
            pollfd fd{xcb_get_file_descriptor(events), POLLIN, 0};
            ::poll(&fd, 1, 1);
            continue;
        }
        // Stamped when read; the stacking is followed from the events themselves, so that no
        // question to the server (slower with more windows) delays reading the next one.
        const auto at = Clock::now();
        const bool restacked = watcher->apply(*e);
        const std::uint8_t type = e->response_type & 0x7f;
        const bool activeChanged =
            type == XCB_PROPERTY_NOTIFY &&
            reinterpret_cast<xcb_property_notify_event_t*>(e)->atom == activeAtom;
        if (activeChanged) {
            lastChange = at;
        }
        if (activeChanged && !changed) {
            changed = at;
            // No event may follow: the restack could have come before the focus change.
            if (overlayDirectlyBelowNow(frame)) {
                std::free(e);
                ++earlierThanTheFocus;
                return {0.0, 0.0};
            }
        } else if (changed && restacked) {
            if (overlayDirectlyBelowNow(frame)) {
                std::free(e);
                using Ms = std::chrono::duration<double, std::milli>;
                return {Ms(at - *changed).count(), Ms(at - lastChange).count()};
            }
        }
        std::free(e);
    }
    return {};
}

struct Figures {
    int windows = 0;
    std::vector<double> ms;
    std::vector<double> fromLast;
    int missed = 0;
    int earlier = 0;
};

Figures measureLatency(int count, xcb_window_t alpha, xcb_window_t beta, xcb_atom_t activeAtom) {
    Figures f;
    earlierThanTheFocus = 0;
    for (int i = 0; i < count; ++i) {
        const Switch t = timedSwitch(i % 2 == 0 ? beta : alpha, activeAtom);
        if (t.fromFirst < 0) {
            ++f.missed;
        } else {
            f.ms.push_back(t.fromFirst);
            f.fromLast.push_back(t.fromLast);
        }
        // Let the 0.25 s cross-fade end before the next switch.
        std::this_thread::sleep_for(std::chrono::milliseconds(350));
    }
    f.earlier = earlierThanTheFocus;
    return f;
}

bool stopEngine(pid_t pid, const std::filesystem::path& home) {
    int status = 0;
    kill(pid, SIGTERM);
    waitpid(pid, &status, 0);
    std::filesystem::remove_all(home);
    drain();
    if (visibleOverlayCount() != 0) {
        std::fprintf(stderr, "probe: overlays left after the engine ended\n");
        return false;
    }
    return true;
}

// The engine started with `alpha` focused and its overlay in place; none when it showed none.
std::optional<pid_t> startedEngine(const std::string& engine, const std::filesystem::path& home,
                                   double fade, xcb_window_t alpha, xcb_window_t gamma) {
    activate(gamma);
    activate(alpha);
    const pid_t pid = startEngine(engine, home, fade);
    if (!waitFor([&] { return overlayDirectlyBelow(frameOf(alpha)); }, 10.0)) {
        std::fprintf(stderr, "probe: the engine showed no overlay\n");
        stopEngine(pid, home);
        return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    return pid;
}

void printLatency(const char* label, const Figures& f) {
    std::printf("%sfocus-to-restack latency over %zu switches (%d missed, %d in place before the "
                "focus changed): median %.2f ms, p95 %.2f ms, max %.2f ms; from its last change: "
                "median %.2f ms, p95 %.2f ms\n",
                label, f.ms.size(), f.missed, f.earlier, percentile(f.ms, 0.5),
                percentile(f.ms, 0.95), *std::max_element(f.ms.begin(), f.ms.end()),
                percentile(f.fromLast, 0.5), percentile(f.fromLast, 0.95));
    std::fflush(stdout);
}

// One run a window count, fillers making up the number; ratios against the run of the smallest
// count that came before, so that a machine that slowed down in between shows in both.
int latencyByWindowCount(const std::string& engine, const std::filesystem::path& home, int count,
                         const std::vector<int>& counts, xcb_window_t alpha, xcb_window_t beta,
                         xcb_window_t gamma, xcb_atom_t activeAtom) {
    const int base = static_cast<int>(clientList().size());
    std::vector<Figures> runs;
    int result = 0;
    for (const int windows : counts) {
        if (windows < base) {
            std::fprintf(stderr, "probe: the desktop has %d windows already\n", base);
            return 1;
        }
        stopFillers();
        startFillers(windows - base);
        if (!waitFor([&] { return static_cast<int>(clientList().size()) == windows; }, 60.0)) {
            std::fprintf(stderr, "probe: %d windows were never managed\n", windows);
            stopFillers();
            return 1;
        }
        const auto pid = startedEngine(engine, home, 0.25, alpha, gamma);
        if (!pid) {
            stopFillers();
            return 1;
        }
        Figures f = measureLatency(count, alpha, beta, activeAtom);
        f.windows = windows;
        if (!stopEngine(*pid, home) || f.ms.empty() || f.missed != 0) {
            result = 1;
        }
        if (f.ms.empty()) {
            std::printf("%d windows: no switch measured\n", windows);
            continue;
        }
        const std::string label = std::to_string(windows) + " windows: ";
        printLatency(label.c_str(), f);
        const auto reference = std::find_if(runs.rbegin(), runs.rend(),
                                            [](const Figures& r) { return !r.ms.empty(); });
        if (reference != runs.rend() && reference->windows < windows) {
            std::printf("%d windows against the %d windows before: median x%.2f, p95 x%.2f; from "
                        "the last change: median x%.2f, p95 x%.2f\n",
                        windows, reference->windows,
                        percentile(f.ms, 0.5) / percentile(reference->ms, 0.5),
                        percentile(f.ms, 0.95) / percentile(reference->ms, 0.95),
                        percentile(f.fromLast, 0.5) / percentile(reference->fromLast, 0.5),
                        percentile(f.fromLast, 0.95) / percentile(reference->fromLast, 0.95));
        }
        runs.push_back(std::move(f));
    }
    stopFillers();
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s ENGINE latency|cpu|memory [COUNT [WINDOWS...]]\n", argv[0]);
        return 2;
    }
    const std::string engine = argv[1];
    const std::string mode = argv[2];
    const int count = argc > 3 ? std::atoi(argv[3]) : 200;
    std::vector<int> windowCounts;
    for (int i = 4; i < argc; ++i) {
        windowCounts.push_back(std::atoi(argv[i]));
    }
    c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c) != 0) {
        std::fprintf(stderr, "probe: no X display\n");
        return 1;
    }
    root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    std::optional<xcb_window_t> alpha;
    std::optional<xcb_window_t> beta;
    std::optional<xcb_window_t> gamma;
    // The clients may still be mapping.
    waitFor(
        [&] {
            alpha = findClient("alpha");
            beta = findClient("beta");
            gamma = findClient("gamma");
            return alpha && beta && gamma;
        },
        10.0);
    if (!alpha || !beta || !gamma) {
        std::fprintf(stderr, "probe: clients alpha, beta and gamma are needed\n");
        return 1;
    }
    const auto home =
        std::filesystem::temp_directory_path() / ("tavrilux-probe-" + std::to_string(getpid()));
    const std::uint32_t mask[] = {XCB_EVENT_MASK_PROPERTY_CHANGE |
                                  XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY};
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, mask);
    watcher = std::make_unique<tavrilux::testdesktop::StackingWatcher>(std::getenv("DISPLAY"));
    // Its events carry the focus changes too.
    xcb_change_window_attributes(watcher->connection(), root, XCB_CW_EVENT_MASK, mask);
    xcb_flush(watcher->connection());
    const xcb_atom_t activeAtom = atom("_NET_ACTIVE_WINDOW");
    if (mode == "latency" && !windowCounts.empty()) {
        const int result = latencyByWindowCount(engine, home, count, windowCounts, *alpha, *beta,
                                                *gamma, activeAtom);
        xcb_disconnect(c);
        return result;
    }

    const double fade = mode == "cpu" ? 1.0 : 0.25;
    const auto pid = startedEngine(engine, home, fade, *alpha, *gamma);
    if (!pid) {
        return 1;
    }
    int result = 0;

    if (mode == "latency") {
        const Figures f = measureLatency(count, *alpha, *beta, activeAtom);
        if (f.ms.empty()) {
            std::fprintf(stderr, "probe: no switch measured\n");
            result = 1;
        } else {
            printLatency("", f);
            result = f.missed == 0 ? 0 : 1;
        }
    } else if (mode == "cpu") {
        std::vector<double> fades;
        for (int i = 0; i < std::max(count, 1); ++i) {
            const double before = cpuSeconds(*pid);
            const auto start = Clock::now();
            activate(i % 2 == 0 ? *beta : *alpha);
            std::this_thread::sleep_until(start + std::chrono::seconds(1));
            const double cpu = cpuSeconds(*pid) - before;
            const double wall = std::chrono::duration<double>(Clock::now() - start).count();
            fades.push_back(100.0 * cpu / wall);
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
        const double before = cpuSeconds(*pid);
        const auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(20));
        const double idle = 100.0 * (cpuSeconds(*pid) - before) /
                            std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("cpu during a 1 s cross-fade over %zu fades: mean %.1f %%, max %.1f %% of a "
                    "core; idle over 20 s: %.2f %% of a core\n",
                    fades.size(),
                    std::accumulate(fades.begin(), fades.end(), 0.0) /
                        static_cast<double>(fades.size()),
                    *std::max_element(fades.begin(), fades.end()), idle);
    } else if (mode == "memory") {
        long at100 = 0;
        for (int i = 1; i <= count; ++i) {
            activate(i % 2 == 0 ? *alpha : *beta);
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            if (i == 100) {
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
                at100 = rssKiB(*pid);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const long atEnd = rssKiB(*pid);
        std::printf("resident memory: %.1f MB after 100 switches, %.1f MB after %d switches "
                    "(%d overlays mapped at the end)\n",
                    static_cast<double>(at100) / 1024.0, static_cast<double>(atEnd) / 1024.0, count,
                    visibleOverlayCount());
    }

    if (!stopEngine(*pid, home)) {
        result = 1;
    }
    xcb_disconnect(c);
    return result;
}
