#pragma once

#include "core/services/FileSystem.h"

namespace tavrilux::linux_platform {

// The real file system. Atomic writes go through a temporary file in the same folder that is
// flushed and renamed over the target; new files are readable by everyone, writable by the user.
class LinuxFileSystem final : public FileSystem {
public:
    std::optional<std::string> readFile(const std::filesystem::path& file,
                                        std::size_t maxBytes) const override;
    bool fileExists(const std::filesystem::path& file) const override;
    std::optional<ServiceFailure> writeFileAtomically(const std::filesystem::path& file,
                                                      const std::string& content) override;
    std::optional<ServiceFailure> createDirectories(const std::filesystem::path& folder) override;
    std::optional<ServiceFailure> removeFile(const std::filesystem::path& file) override;
};

} // namespace tavrilux::linux_platform
