#pragma once

#include <xcb/xcb.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace tavrilux::x11 {

// KWin keeps a dialog (WM_TRANSIENT_FOR) drawn above its parent, while its own order may still
// hold the dialog far below, where it was before the parent alone was raised; a window restacked
// below the parent goes below that old place. Of `windows` (KWin's order, bottom to top, from the
// anchor on: the anchor first), with each one's parent among them (an index, or none) and its
// process (0 when unknown), the dialogs of the anchor's application that lie on their parent with
// nothing but that parent's own dialogs between, bottom to top, each with its parent: moved
// below their parents in KWin's order, they show as before, and the application starts at the
// anchor.
std::vector<std::pair<xcb_window_t, xcb_window_t>>
dialogsToSettle(const std::vector<xcb_window_t>& windows,
                const std::vector<std::optional<std::size_t>>& parents,
                const std::vector<std::uint32_t>& processes);

} // namespace tavrilux::x11
