#include "core/diagnostics/DimmingPerfLine.h"

#include <charconv>
#include <cmath>

namespace tavrilux {

std::string formatOneDecimal(double value) {
    if (std::isnan(value)) {
        return std::signbit(value) ? "-nan" : "nan";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : "inf";
    }
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    return std::string(buffer, result.ptr);
}

std::string formatDimmingPerfLine(double cpuPercent, std::optional<double> gpuPercent,
                                  int overlayCount, int activeTransitionOverlayCount) {
    const std::string gpu = gpuPercent ? formatOneDecimal(*gpuPercent) + "%" : "n/a";
    return "[DimmingPerf] cpu=" + formatOneDecimal(cpuPercent) + "% gpu=" + gpu +
           " liveBackdropLayers=" +
           std::to_string(static_cast<long long>(overlayCount) + activeTransitionOverlayCount) +
           " overlays=" + std::to_string(overlayCount) +
           " activeTransitionOverlays=" + std::to_string(activeTransitionOverlayCount);
}

} // namespace tavrilux
