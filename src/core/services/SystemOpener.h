#pragma once

#include <filesystem>

namespace tavrilux {

// Hands a folder to the desktop's default handler (a file manager). Fire and forget: the
// outcome is not reported. Main thread only; never blocks on the handler.
class SystemOpener {
public:
    SystemOpener() = default;
    virtual ~SystemOpener() = default;
    SystemOpener(const SystemOpener&) = delete;
    SystemOpener& operator=(const SystemOpener&) = delete;

    virtual void openFolder(const std::filesystem::path& folder) = 0;
};

} // namespace tavrilux
