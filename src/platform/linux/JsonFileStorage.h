#pragma once

#include "core/defaults/DefaultsRegistry.h"
#include "core/defaults/DomainStorage.h"

#include <filesystem>
#include <string>

namespace tavrilux::linux_platform {

// A defaults domain kept as one JSON file. Writes go to a temporary file in the same folder,
// are flushed to disk and renamed over the old file, so a crash never leaves a partial file.
// When the file is a symbolic link, the link stays and its final target is replaced that way.
// Only a regular file of at most kMaxBytes is read; anything else at its place (a folder, a
// FIFO, a device) and an unreadable file are renamed to <file>.corrupt, or .corrupt.1 and so on
// when that is taken.
class JsonFileStorage final : public DomainStorage {
public:
    static constexpr int kMaxAsideCopies = 1000;
    static constexpr std::size_t kMaxBytes = 4 * 1024 * 1024;

    explicit JsonFileStorage(std::filesystem::path file);

    StoredText load() override;
    bool setAside() override;
    bool store(const std::string& text) override;
    std::string lastError() const override { return lastError_; }
    std::string location() const override { return file_.string(); }

    // Files named <domain>.json in `folder`; a domain whose folder cannot be created or written
    // cannot be opened.
    static DefaultsRegistry::StorageFactory factoryIn(std::filesystem::path folder);

private:
    std::filesystem::path file_;
    std::string lastError_;
};

} // namespace tavrilux::linux_platform
