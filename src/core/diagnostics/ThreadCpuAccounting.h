#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

namespace tavrilux {

// CPU times of one thread, in clock ticks, as its /proc stat line gives them.
struct ThreadCpuTimes final {
    long tid = 0;
    std::uint64_t busyTicks = 0;  // user + system time
    std::uint64_t startTicks = 0; // start time after boot
};

// Turns successive readings of a process's threads into the CPU use over the time between them.
class ThreadCpuAccounting final {
public:
    explicit ThreadCpuAccounting(double ticksPerSecond) : ticksPerSecond_(ticksPerSecond) {}

    // Parses "tid (comm) state ppid ..." of /proc/<pid>/task/<tid>/stat; the command name may hold
    // spaces and parentheses. Nothing when the line is cut short or a number is malformed.
    static std::optional<ThreadCpuTimes> parseStatLine(std::string_view line);

    // The summed use in percent of one processor. A thread seen at the previous sample counts its
    // ticks since then over the time since then; a new thread (or a reused id) counts all its ticks
    // since it started. Each thread counts at most 100. `nowSinceBoot` is seconds on the clock the
    // start times are measured on.
    double sample(const std::vector<ThreadCpuTimes>& threads, double nowSinceBoot);

private:
    struct Seen {
        std::uint64_t busyTicks;
        std::uint64_t startTicks;
    };
    double ticksPerSecond_;
    std::map<long, Seen> previous_;
    std::optional<double> previousTime_;
};

} // namespace tavrilux
