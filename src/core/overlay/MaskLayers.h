#pragma once

#include "core/geometry/Rect.h"
#include "core/theme/Rgba.h"

#include <optional>
#include <vector>

namespace tavrilux {

// A point in a layer's unit square: (0, 0) is the bottom-left corner, (1, 1) the top-right.
struct UnitPoint final {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const UnitPoint&, const UnitPoint&) = default;
};

// A linear gradient whose colours' alpha masks what lies below it.
struct GradientLayer final {
    Rect frame;
    UnitPoint startPoint;
    UnitPoint endPoint{0.0, 1.0};
    std::vector<double> locations;
    std::vector<Rgba> colors;
    friend bool operator==(const GradientLayer&, const GradientLayer&) = default;
};

// A filled rounded rectangle.
struct ShapeLayer final {
    Rect frame;
    Rect pathRect;
    double cornerRadius = 0.0;
    Rgba fillColor = Rgba::white();
    Rgba backgroundColor = Rgba::clear();
    friend bool operator==(const ShapeLayer&, const ShapeLayer&) = default;
};

// A mask made of shapes, softened by a gaussian blur when it has one.
struct ShapeMaskLayer final {
    Rect frame;
    std::vector<ShapeLayer> sublayers;
    std::optional<double> gaussianBlurRadius;
    friend bool operator==(const ShapeMaskLayer&, const ShapeMaskLayer&) = default;
};

} // namespace tavrilux
