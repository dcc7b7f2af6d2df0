#pragma once

namespace tavrilux {

// A timing curve: a cubic Bézier from (0, 0) to (1, 1) through two control points, mapping the
// elapsed fraction of an animation to the fraction of its value change.
class MediaTimingFunction final {
public:
    constexpr MediaTimingFunction(double c1x, double c1y, double c2x, double c2y)
        : c1x_(c1x), c1y_(c1y), c2x_(c2x), c2y_(c2y) {}

    static constexpr MediaTimingFunction linear() { return {0.0, 0.0, 1.0, 1.0}; }
    static constexpr MediaTimingFunction easeIn() { return {0.42, 0.0, 1.0, 1.0}; }
    static constexpr MediaTimingFunction easeOut() { return {0.0, 0.0, 0.58, 1.0}; }
    static constexpr MediaTimingFunction easeInEaseOut() { return {0.42, 0.0, 0.58, 1.0}; }

    // The curve's value for an elapsed fraction; fractions outside 0...1 are clamped.
    double valueAt(double fraction) const;

    double c1x() const { return c1x_; }
    double c1y() const { return c1y_; }
    double c2x() const { return c2x_; }
    double c2y() const { return c2y_; }

    friend bool operator==(const MediaTimingFunction&, const MediaTimingFunction&) = default;

private:
    double c1x_;
    double c1y_;
    double c2x_;
    double c2y_;
};

} // namespace tavrilux
