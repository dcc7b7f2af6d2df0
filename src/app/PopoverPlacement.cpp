#include "app/PopoverPlacement.h"

#include <algorithm>

namespace tavrilux {

PopoverPlacement PopoverPlacement::place(const QSize& panel, const QRect& anchor,
                                         const QRect& screen, std::optional<bool> keepAbove) {
    // QRect's bottom() is the last row inside it; y() + height() is the first row below.
    const int below = anchor.y() + anchor.height() + kGap;
    const bool fitsBelow = below + panel.height() <= screen.y() + screen.height();
    const bool above = keepAbove.value_or(!fitsBelow);
    int x = anchor.x() + (anchor.width() - panel.width()) / 2;
    int y = above ? anchor.y() - kGap - panel.height() : below;
    // The left and top edges win when the panel is larger than the screen.
    x = std::max(screen.x(), std::min(x, screen.x() + screen.width() - panel.width()));
    y = std::max(screen.y(), std::min(y, screen.y() + screen.height() - panel.height()));
    return PopoverPlacement{QPoint(x, y), above};
}

int PopoverPlacement::room(const QRect& anchor, const QRect& screen) {
    const int above = anchor.y() - kGap - screen.y();
    const int below = screen.y() + screen.height() - (anchor.y() + anchor.height() + kGap);
    return std::max(0, std::max(above, below));
}

} // namespace tavrilux
