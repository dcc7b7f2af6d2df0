#include "core/diagnostics/StandardErrorLog.h"

#include <cstdio>
#include <string>

namespace tavrilux {

void writeStandardErrorLine(std::string_view line) {
    std::string text(line);
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

} // namespace tavrilux
