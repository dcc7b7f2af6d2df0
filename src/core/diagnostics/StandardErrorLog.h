#pragma once

#include <functional>
#include <string_view>

namespace tavrilux {

// Where log lines go; the system log of this platform is standard error.
using LogSink = std::function<void(std::string_view line)>;

// Writes the line and a newline with one write, so lines of several threads do not interleave.
void writeStandardErrorLine(std::string_view line);

} // namespace tavrilux
