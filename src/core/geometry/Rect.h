#pragma once

#include <algorithm>

namespace tavrilux {

// A rectangle in global screen coordinates with the origin at the bottom left of the primary
// display and y growing upward. Rectangles compare by exact equality of all four numbers.
struct Rect final {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;

    constexpr double minX() const { return x; }
    constexpr double minY() const { return y; }
    constexpr double maxX() const { return x + width; }
    constexpr double maxY() const { return y + height; }

    // No area: rectangles that only touch at an edge meet in an empty rectangle.
    constexpr bool isEmpty() const { return !(width > 0.0) || !(height > 0.0); }

    // The area the two rectangles share; 0 when they do not overlap or only touch.
    constexpr double overlapArea(const Rect& other) const {
        const double w = std::min(maxX(), other.maxX()) - std::max(minX(), other.minX());
        const double h = std::min(maxY(), other.maxY()) - std::max(minY(), other.minY());
        return (w > 0.0 && h > 0.0) ? w * h : 0.0;
    }

    // A non-empty intersection.
    constexpr bool overlaps(const Rect& other) const { return overlapArea(other) > 0.0; }

    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

} // namespace tavrilux
