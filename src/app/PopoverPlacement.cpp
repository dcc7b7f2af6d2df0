#include "app/PopoverPlacement.h"

#include <algorithm>

namespace tavrilux {

namespace {

// The rows the panel's edge nearest the icon may take: its top row when below the icon, the row
// after its last when above. Inside the area, also for an icon in a dock outside it.
int rowBelow(const QRect& anchor, const QRect& area) {
    // QRect's bottom() is the last row inside it; y() + height() is the first row below.
    return std::max(anchor.y() + anchor.height() + PopoverPlacement::kGap, area.y());
}
int rowAbove(const QRect& anchor, const QRect& area) {
    return std::min(anchor.y() - PopoverPlacement::kGap, area.y() + area.height());
}

} // namespace

PopoverPlacement PopoverPlacement::place(const QSize& panel, const QRect& anchor, const QRect& area,
                                         std::optional<bool> keepAbove) {
    const int below = rowBelow(anchor, area);
    const bool fitsBelow = below + panel.height() <= area.y() + area.height();
    const bool above = keepAbove.value_or(!fitsBelow);
    int x = anchor.x() + (anchor.width() - panel.width()) / 2;
    int y = above ? rowAbove(anchor, area) - panel.height() : below;
    // The left and top edges win when the panel is larger than the area.
    x = std::max(area.x(), std::min(x, area.x() + area.width() - panel.width()));
    y = std::max(area.y(), std::min(y, area.y() + area.height() - panel.height()));
    return PopoverPlacement{QPoint(x, y), above};
}

int PopoverPlacement::room(const QRect& anchor, const QRect& area) {
    const int above = rowAbove(anchor, area) - area.y();
    const int below = area.y() + area.height() - rowBelow(anchor, area);
    return std::max(0, std::max(above, below));
}

} // namespace tavrilux
