#pragma once

#include <cstdint>

namespace tavrilux {

// A display number: what names one display for the whole engine.
using DisplayID = std::uint32_t;
// An operating-system process id.
using ProcessID = std::int32_t;
// A window server's number for one window (on X11 the client window id).
using WindowNumber = std::int64_t;

} // namespace tavrilux
