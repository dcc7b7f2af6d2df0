#pragma once

#include "core/services/DiagnosticPayload.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrilux {

// What the crash handler wrote about one fatal signal. The file is plain text, one field a line:
//
//   tavrilux-crash-record 1
//   signal 11
//   code 1
//   address 0x0
//   time 1714566600
//   pid 4242
//   version 1.2.0
//   frame 0x55d0c0a0b1c2 /usr/bin/tavrilux(_ZN4main+0x12) [0x55d0c0a0b1c2]
//   end
//
// "frame" lines (the call stack, innermost first; the text after the address is the symbol where
// one was found) may repeat; a record without its "end" line was cut short. The diagnostic sends
// symbols without the folders of their files.
struct CrashRecord final {
    static constexpr std::string_view kHeader = "tavrilux-crash-record 1";
    static constexpr std::size_t kMaxBytes = 256 * 1024;
    static constexpr std::size_t kMaxFrames = 128;
    // The latest time the system clock can hold (in 2262); later ones would overflow it.
    static constexpr std::int64_t kMaxTime =
        std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::time_point::max())
            .time_since_epoch()
            .count();

    struct Frame {
        std::uint64_t address = 0;
        std::string symbol;
    };

    int signal = 0;
    int code = 0;
    std::uint64_t faultAddress = 0;
    std::int64_t time = 0; // seconds since the epoch
    std::int64_t pid = 0;
    std::string version;
    std::vector<Frame> frames;

    // Nothing when the text is not a complete, well-formed record.
    static std::optional<CrashRecord> parse(std::string_view text);

    // The crash diagnostic's JSON: signal, its name, code, fault address, time, version, process
    // and call stack.
    std::string diagnosticJson() const;
    // One payload carrying this crash, ending at the crash's time.
    DiagnosticPayload payload() const;
};

} // namespace tavrilux
