#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrilux {

// The application icon as the PNG file holds it; the interface decodes it.
struct AppIconImage final {
    std::string pngData;
    int width = 0;
    int height = 0;

    // The image when the bytes start like a PNG file with a non-empty header chunk; nothing for
    // anything that would not load as an image.
    static std::optional<AppIconImage> fromPng(std::string data);
};

} // namespace tavrilux
