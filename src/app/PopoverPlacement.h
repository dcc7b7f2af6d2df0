#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

namespace tavrilux {

// Where the quick panel goes: centred under the status icon when it fits below it in the work
// area, else above it, then moved into the work area. `keepAbove` holds an earlier choice, so
// that a panel changing its height keeps the edge nearest the icon in place.
struct PopoverPlacement final {
    static constexpr int kGap = 4;

    QPoint topLeft;
    bool above = false;

    friend bool operator==(const PopoverPlacement&, const PopoverPlacement&) = default;

    // `anchor`: the icon's rectangle (a point when only the pointer is known), which may lie in
    // a dock outside `area`; `area`: the work area of the monitor that holds it (less the task
    // bars and docks). Global pixels, origin at the top left.
    static PopoverPlacement place(const QSize& panel, const QRect& anchor, const QRect& area,
                                  std::optional<bool> keepAbove = std::nullopt);
    // The tallest panel that fits wholly above or wholly below the anchor inside the area.
    static int room(const QRect& anchor, const QRect& area);
};

} // namespace tavrilux
