#pragma once

namespace tavrilux {

// An sRGB colour with straight (not premultiplied) opacity, components 0...1.
struct Rgba final {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double alpha = 1.0;

    static constexpr Rgba clear() { return {0.0, 0.0, 0.0, 0.0}; }
    static constexpr Rgba white(double alpha = 1.0) { return {1.0, 1.0, 1.0, alpha}; }
    // A grey of the given whiteness: 0 is black, 1 is white.
    static constexpr Rgba gray(double white, double alpha = 1.0) {
        return Rgba{white, white, white, alpha};
    }

    friend bool operator==(const Rgba&, const Rgba&) = default;
};

} // namespace tavrilux
