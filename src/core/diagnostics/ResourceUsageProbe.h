#pragma once

#include <optional>

namespace tavrilux {

// Measures what the diagnostics line reports.
//
// Contract:
// - processCpuUsagePercent(): the process's CPU use summed over its threads, in percent of one
//   processor (above 100 on several busy cores), over the time since the previous call (since
//   each thread started, for threads not seen before); -1.0 when it cannot be measured.
// - systemGpuUtilizationPercent(): the GPU's busy percentage as a driver reports it, or nothing
//   when no driver offers one.
// - Called on the main thread.
class ResourceUsageProbe {
public:
    ResourceUsageProbe() = default;
    virtual ~ResourceUsageProbe() = default;
    ResourceUsageProbe(const ResourceUsageProbe&) = delete;
    ResourceUsageProbe& operator=(const ResourceUsageProbe&) = delete;

    virtual double processCpuUsagePercent() = 0;
    virtual std::optional<double> systemGpuUtilizationPercent() = 0;
};

} // namespace tavrilux
