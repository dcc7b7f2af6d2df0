#include "platform/linux/LinuxResourceUsageProbe.h"

#include "core/diagnostics/GpuBusyPercent.h"
#include "platform/linux/FileText.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace tavrilux::linux_platform {

namespace {

double ticksPerSecond() {
    const long ticks = sysconf(_SC_CLK_TCK);
    return ticks > 0 ? static_cast<double>(ticks) : 100.0;
}

// Thread start times count from boot, suspended time included.
double secondsSinceBoot() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// "card0" gives 0; connectors ("card0-DP-1") and other entries give nothing.
std::optional<int> cardNumber(const std::string& name) {
    if (!name.starts_with("card") || name.size() == 4) {
        return std::nullopt;
    }
    int number = 0;
    const char* end = name.data() + name.size();
    const auto result = std::from_chars(name.data() + 4, end, number);
    if (result.ec != std::errc{} || result.ptr != end) {
        return std::nullopt;
    }
    return number;
}

} // namespace

LinuxResourceUsageProbe::LinuxResourceUsageProbe(std::filesystem::path taskFolder,
                                                 std::filesystem::path drmFolder)
    : taskFolder_(std::move(taskFolder)), drmFolder_(std::move(drmFolder)),
      accounting_(ticksPerSecond()) {}

double LinuxResourceUsageProbe::processCpuUsagePercent() {
    std::error_code error;
    std::filesystem::directory_iterator it(taskFolder_, error);
    if (error) {
        return -1.0;
    }
    std::vector<ThreadCpuTimes> threads;
    for (std::filesystem::directory_iterator end; it != end; it.increment(error)) {
        if (error) {
            return -1.0;
        }
        // A thread that ended since the listing simply has no stat file any more.
        if (auto line = readFileText(it->path() / "stat")) {
            if (auto times = ThreadCpuAccounting::parseStatLine(*line)) {
                threads.push_back(*times);
            }
        }
    }
    if (threads.empty()) {
        return -1.0;
    }
    return accounting_.sample(threads, secondsSinceBoot());
}

std::optional<double> LinuxResourceUsageProbe::systemGpuUtilizationPercent() {
    std::error_code error;
    std::vector<std::pair<int, std::filesystem::path>> cards;
    for (std::filesystem::directory_iterator it(drmFolder_, error), end; !error && it != end;
         it.increment(error)) {
        if (auto number = cardNumber(it->path().filename().string())) {
            cards.emplace_back(*number, it->path());
        }
    }
    std::sort(cards.begin(), cards.end());
    for (const auto& [number, card] : cards) {
        if (auto text = readFileText(card / "device" / "gpu_busy_percent")) {
            if (auto percent = parseGpuBusyPercent(*text)) {
                return percent;
            }
        }
    }
    return std::nullopt;
}

} // namespace tavrilux::linux_platform
