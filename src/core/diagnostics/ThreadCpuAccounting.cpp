#include "core/diagnostics/ThreadCpuAccounting.h"

#include <algorithm>
#include <charconv>

namespace tavrilux {

namespace {

template <typename Number> std::optional<Number> parseNumber(std::string_view text) {
    Number value{};
    const auto* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ec != std::errc{} || result.ptr != end) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<ThreadCpuTimes> ThreadCpuAccounting::parseStatLine(std::string_view line) {
    const std::size_t open = line.find(" (");
    const std::size_t close = line.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        return std::nullopt;
    }
    const auto tid = parseNumber<long>(line.substr(0, open));
    if (!tid) {
        return std::nullopt;
    }
    // Fields after the command name, counted from the state (field 3 of the stat line).
    std::vector<std::string_view> fields;
    std::string_view rest = line.substr(close + 1);
    while (!rest.empty() && fields.size() < 20) {
        const std::size_t start = rest.find_first_not_of(" \n");
        if (start == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(start);
        const std::size_t end = std::min(rest.find_first_of(" \n"), rest.size());
        fields.push_back(rest.substr(0, end));
        rest.remove_prefix(end);
    }
    constexpr std::size_t kUtime = 14 - 3;
    constexpr std::size_t kStime = 15 - 3;
    constexpr std::size_t kStartTime = 22 - 3;
    if (fields.size() <= kStartTime) {
        return std::nullopt;
    }
    const auto utime = parseNumber<std::uint64_t>(fields[kUtime]);
    const auto stime = parseNumber<std::uint64_t>(fields[kStime]);
    const auto start = parseNumber<std::uint64_t>(fields[kStartTime]);
    if (!utime || !stime || !start) {
        return std::nullopt;
    }
    return ThreadCpuTimes{*tid, *utime + *stime, *start};
}

double ThreadCpuAccounting::sample(const std::vector<ThreadCpuTimes>& threads,
                                   double nowSinceBoot) {
    double total = 0.0;
    std::map<long, Seen> seen;
    for (const auto& thread : threads) {
        seen[thread.tid] = Seen{thread.busyTicks, thread.startTicks};
        double ticks = static_cast<double>(thread.busyTicks);
        double since = static_cast<double>(thread.startTicks) / ticksPerSecond_;
        if (auto it = previous_.find(thread.tid);
            it != previous_.end() && it->second.startTicks == thread.startTicks && previousTime_) {
            ticks = thread.busyTicks >= it->second.busyTicks
                        ? static_cast<double>(thread.busyTicks - it->second.busyTicks)
                        : 0.0;
            since = *previousTime_;
        }
        const double elapsed = nowSinceBoot - since;
        if (elapsed <= 0.0 || ticksPerSecond_ <= 0.0) {
            continue;
        }
        total += std::min(100.0, ticks / ticksPerSecond_ / elapsed * 100.0);
    }
    previous_ = std::move(seen);
    previousTime_ = nowSinceBoot;
    return total;
}

} // namespace tavrilux
