#pragma once

#include <optional>
#include <string>

namespace tavrilux {

// "[DimmingPerf] cpu=<cpu>% gpu=<gpu> liveBackdropLayers=<n> overlays=<o>
// activeTransitionOverlays=<t>" with one decimal for the CPU and the GPU ("n/a" without a GPU
// value) and n = o + t. Numbers always use a decimal point, whatever the process's locale.
std::string formatDimmingPerfLine(double cpuPercent, std::optional<double> gpuPercent,
                                  int overlayCount, int activeTransitionOverlayCount);

// One decimal, rounded like printf's "%.1f" but independent of the locale.
std::string formatOneDecimal(double value);

} // namespace tavrilux
