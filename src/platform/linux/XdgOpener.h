#pragma once

#include "core/services/SystemOpener.h"

#include <string>

namespace tavrilux::linux_platform {

// Opens folders with xdg-open, started directly (no shell, so no path is ever interpreted) and
// reaped on a detached thread so the caller never waits for the file manager.
class XdgOpener final : public SystemOpener {
public:
    explicit XdgOpener(std::string program = "xdg-open");

    void openFolder(const std::filesystem::path& folder) override;

    // Starts `program` with `argument`; returns the child's process id, or -1.
    static int spawn(const std::string& program, const std::string& argument);

private:
    std::string program_;
};

} // namespace tavrilux::linux_platform
