#pragma once

namespace tavrilux {

// A colour with straight (not premultiplied) alpha, every component 0...1.
struct RgbaColor final {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double alpha = 0.0;

    static constexpr RgbaColor clear() { return {0.0, 0.0, 0.0, 0.0}; }
    static constexpr RgbaColor white(double alpha = 1.0) { return {1.0, 1.0, 1.0, alpha}; }

    friend bool operator==(const RgbaColor&, const RgbaColor&) = default;
};

} // namespace tavrilux
