#pragma once

#include <cstdint>

namespace tavrilux::x11 {

// Requests that waited for the server's answer, X errors received, and windows of the list read
// (their map state, geometry and place, with their properties when those changed).
struct X11Counters final {
    std::uint64_t roundTrips = 0;
    std::uint64_t errors = 0;
    std::uint64_t windowReads = 0;
};

} // namespace tavrilux::x11
