#pragma once

#include "core/diagnostics/ResourceUsageProbe.h"
#include "core/diagnostics/ThreadCpuAccounting.h"

#include <filesystem>

namespace tavrilux::linux_platform {

// CPU use from the stat files of the process's threads, GPU busy percentage from the first DRM
// card whose driver offers device/gpu_busy_percent (amdgpu does).
class LinuxResourceUsageProbe final : public ResourceUsageProbe {
public:
    explicit LinuxResourceUsageProbe(std::filesystem::path taskFolder = "/proc/self/task",
                                     std::filesystem::path drmFolder = "/sys/class/drm");

    double processCpuUsagePercent() override;
    std::optional<double> systemGpuUtilizationPercent() override;

private:
    std::filesystem::path taskFolder_;
    std::filesystem::path drmFolder_;
    ThreadCpuAccounting accounting_;
};

} // namespace tavrilux::linux_platform
