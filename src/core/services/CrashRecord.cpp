#include "core/services/CrashRecord.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <csignal>
#include <cstdio>

namespace tavrilux {

namespace {

template <typename T> std::optional<T> number(std::string_view text, int base = 10) {
    if (base == 16) {
        if (text.substr(0, 2) != "0x") {
            return std::nullopt;
        }
        text.remove_prefix(2);
    }
    T value{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string hex(std::uint64_t value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(value));
    return buffer;
}

const char* signalName(int signal) {
    switch (signal) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGILL:
        return "SIGILL";
    case SIGFPE:
        return "SIGFPE";
    case SIGABRT:
        return "SIGABRT";
    case SIGTRAP:
        return "SIGTRAP";
    case SIGSYS:
        return "SIGSYS";
    default:
        return "UNKNOWN";
    }
}

// "object(symbol+offset) [address]" with the object's folders left out: they name the user's
// home and install folders, which are nobody else's business.
std::string withoutFolders(std::string_view symbol) {
    const auto address = symbol.rfind(" [");
    const auto head = symbol.substr(0, address == std::string_view::npos ? symbol.size() : address);
    const auto object = head.substr(0, head.rfind('('));
    const auto slash = object.rfind('/');
    return std::string(slash == std::string_view::npos ? symbol : symbol.substr(slash + 1));
}

} // namespace

std::optional<CrashRecord> CrashRecord::parse(std::string_view text) {
    if (text.size() > kMaxBytes) {
        return std::nullopt;
    }
    CrashRecord record;
    bool sawHeader = false;
    bool sawSignal = false;
    bool sawTime = false;
    bool sawVersion = false;
    bool ended = false;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos) {
            return std::nullopt; // the last line was cut short
        }
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (ended) {
            return std::nullopt; // nothing may follow the end
        }
        if (!sawHeader) {
            if (line != kHeader) {
                return std::nullopt;
            }
            sawHeader = true;
            continue;
        }
        if (line == "end") {
            ended = true;
            continue;
        }
        const auto space = line.find(' ');
        if (space == std::string_view::npos) {
            return std::nullopt;
        }
        const auto key = line.substr(0, space);
        const auto value = line.substr(space + 1);
        if (key == "signal") {
            auto v = number<int>(value);
            if (!v || *v <= 0) {
                return std::nullopt;
            }
            record.signal = *v;
            sawSignal = true;
        } else if (key == "code") {
            auto v = number<int>(value);
            if (!v) {
                return std::nullopt;
            }
            record.code = *v;
        } else if (key == "address") {
            auto v = number<std::uint64_t>(value, 16);
            if (!v) {
                return std::nullopt;
            }
            record.faultAddress = *v;
        } else if (key == "time") {
            auto v = number<std::int64_t>(value);
            if (!v || *v < 0 || *v > kMaxTime) {
                return std::nullopt;
            }
            record.time = *v;
            sawTime = true;
        } else if (key == "pid") {
            auto v = number<std::int64_t>(value);
            if (!v) {
                return std::nullopt;
            }
            record.pid = *v;
        } else if (key == "version") {
            record.version = std::string(value);
            sawVersion = !value.empty();
        } else if (key == "frame") {
            if (record.frames.size() >= kMaxFrames) {
                return std::nullopt;
            }
            const auto gap = value.find(' ');
            auto address = number<std::uint64_t>(value.substr(0, gap), 16);
            if (!address) {
                return std::nullopt;
            }
            Frame frame{*address, {}};
            if (gap != std::string_view::npos) {
                frame.symbol = std::string(value.substr(gap + 1));
            }
            record.frames.push_back(std::move(frame));
        }
        // Unknown keys are left for newer writers.
    }
    if (!ended || !sawSignal || !sawTime || !sawVersion) {
        return std::nullopt;
    }
    return record;
}

std::string CrashRecord::diagnosticJson() const {
    nlohmann::json stack = nlohmann::json::array();
    for (const auto& frame : frames) {
        nlohmann::json entry = {{"address", hex(frame.address)}};
        if (!frame.symbol.empty()) {
            entry["symbol"] = withoutFolders(frame.symbol);
        }
        stack.push_back(std::move(entry));
    }
    const nlohmann::json diagnostic = {
        {"signal", signal},   {"signalName", signalName(signal)},
        {"signalCode", code}, {"faultAddress", hex(faultAddress)},
        {"timestamp", time},  {"appVersion", version},
        {"processID", pid},   {"callStack", std::move(stack)},
    };
    // Symbols come from the binary; bytes that are not UTF-8 are replaced, not fatal.
    return diagnostic.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

DiagnosticPayload CrashRecord::payload() const {
    DiagnosticPayload payload;
    payload.timeStampEnd = std::chrono::system_clock::time_point(std::chrono::seconds(time));
    payload.crashDiagnostics.push_back({diagnosticJson()});
    return payload;
}

} // namespace tavrilux
