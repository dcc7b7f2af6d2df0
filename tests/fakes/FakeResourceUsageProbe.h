#pragma once

#include "core/diagnostics/ResourceUsageProbe.h"

namespace tavrilux::fakes {

// Reports the figures the test sets and counts the measurements.
class FakeResourceUsageProbe final : public ResourceUsageProbe {
public:
    double cpuPercent = 0.0;
    std::optional<double> gpuPercent;
    int cpuMeasurements = 0;
    int gpuMeasurements = 0;

    double processCpuUsagePercent() override {
        ++cpuMeasurements;
        return cpuPercent;
    }
    std::optional<double> systemGpuUtilizationPercent() override {
        ++gpuMeasurements;
        return gpuPercent;
    }
};

} // namespace tavrilux::fakes
