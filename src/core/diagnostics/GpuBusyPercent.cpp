#include "core/diagnostics/GpuBusyPercent.h"

#include <charconv>

namespace tavrilux {

std::optional<double> parseGpuBusyPercent(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    text = text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ec != std::errc{} || result.ptr != end || value < 0 || value > 100) {
        return std::nullopt;
    }
    return static_cast<double>(value);
}

} // namespace tavrilux
