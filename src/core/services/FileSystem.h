#pragma once

#include "core/services/ServiceFailure.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace tavrilux {

// The few file operations the services need.
//
// Contract:
// - readFile() returns the whole content of a regular file, or nothing when it cannot be read or
//   is larger than `maxBytes`.
// - writeFileAtomically() replaces the file as a whole: a reader sees the old content or the new
//   one, never a part. The folder must exist.
// - createDirectories() creates the folder and its missing parents; an existing folder is fine.
// - removeFile() fails when the file exists but cannot be removed; a missing file is fine.
// - Calls block; they may be made from any thread.
class FileSystem {
public:
    FileSystem() = default;
    virtual ~FileSystem() = default;
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;

    virtual std::optional<std::string> readFile(const std::filesystem::path& file,
                                                std::size_t maxBytes) const = 0;
    virtual bool fileExists(const std::filesystem::path& file) const = 0;
    virtual std::optional<ServiceFailure> writeFileAtomically(const std::filesystem::path& file,
                                                              const std::string& content) = 0;
    virtual std::optional<ServiceFailure>
    createDirectories(const std::filesystem::path& folder) = 0;
    virtual std::optional<ServiceFailure> removeFile(const std::filesystem::path& file) = 0;
};

} // namespace tavrilux
