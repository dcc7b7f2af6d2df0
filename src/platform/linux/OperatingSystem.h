#pragma once

#include <string>

namespace tavrilux::linux_platform {

class OperatingSystem final {
public:
    // The distribution's name and the kernel release, e.g.
    // "Debian GNU/Linux 12 (bookworm), Linux 6.1.0-18-amd64".
    static std::string versionString();
};

} // namespace tavrilux::linux_platform
