#include "platform/x11/X11DialogSettling.h"

namespace tavrilux::x11 {

std::vector<std::pair<xcb_window_t, xcb_window_t>>
dialogsToSettle(const std::vector<xcb_window_t>& windows,
                const std::vector<std::optional<std::size_t>>& parents,
                const std::vector<std::uint32_t>& processes) {
    const std::size_t n = windows.size();
    const auto parentOf = [&](std::size_t k) -> std::optional<std::size_t> {
        return k < parents.size() && parents[k] && *parents[k] < n ? parents[k] : std::nullopt;
    };
    const auto processOf = [&](std::size_t k) -> std::uint32_t {
        return k < processes.size() ? processes[k] : 0;
    };
    // Through parents, never further than any real chain (and never round a loop).
    const auto descends = [&](std::size_t k, std::size_t ancestor) {
        for (int depth = 0; depth < 32; ++depth) {
            const auto parent = parentOf(k);
            if (!parent) {
                return false;
            }
            k = *parent;
            if (k == ancestor) {
                return true;
            }
        }
        return false;
    };
    std::vector<std::pair<xcb_window_t, xcb_window_t>> moves;
    for (std::size_t k = 1; k < n; ++k) {
        const auto parent = parentOf(k);
        if (!parent) {
            continue;
        }
        const std::size_t q = *parent;
        const bool sameApplication =
            q == 0 || descends(q, 0) || (processOf(q) != 0 && processOf(q) == processOf(0));
        bool onItsParent = sameApplication && q < k;
        for (std::size_t j = q + 1; onItsParent && j < k; ++j) {
            onItsParent = descends(j, q);
        }
        if (onItsParent) {
            moves.emplace_back(windows[k], windows[q]);
        }
    }
    return moves;
}

} // namespace tavrilux::x11
