#include "core/resources/AppIconImage.h"

#include <cstdint>

namespace tavrilux {

namespace {
std::uint32_t bigEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}
} // namespace

std::optional<AppIconImage> AppIconImage::fromPng(std::string data) {
    constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);
    // Signature, then the header chunk: length 13, "IHDR", width, height.
    if (data.size() < 8 + 8 + 13 || std::string_view(data).substr(0, 8) != kSignature ||
        bigEndian32(data, 8) != 13 || std::string_view(data).substr(12, 4) != "IHDR") {
        return std::nullopt;
    }
    const std::uint32_t width = bigEndian32(data, 16);
    const std::uint32_t height = bigEndian32(data, 20);
    constexpr std::uint32_t kLargest = 1u << 16;
    if (width == 0 || height == 0 || width > kLargest || height > kLargest) {
        return std::nullopt;
    }
    AppIconImage image;
    image.pngData = std::move(data);
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    return image;
}

} // namespace tavrilux
