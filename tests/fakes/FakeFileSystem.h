#pragma once

#include "core/services/FileSystem.h"

#include <map>
#include <set>

namespace tavrilux::fakes {

// Files and folders in memory, with switches that make each kind of change fail.
class FakeFileSystem final : public FileSystem {
public:
    std::optional<std::string> readFile(const std::filesystem::path& file,
                                        std::size_t maxBytes) const override {
        auto it = files_.find(file);
        if (it == files_.end() || it->second.size() > maxBytes) {
            return std::nullopt;
        }
        return it->second;
    }
    bool fileExists(const std::filesystem::path& file) const override {
        return files_.count(file) > 0;
    }
    std::optional<ServiceFailure> writeFileAtomically(const std::filesystem::path& file,
                                                      const std::string& content) override {
        ++writes;
        if (failWrites) {
            return ServiceFailure{"write refused"};
        }
        if (folders_.count(file.parent_path()) == 0) {
            return ServiceFailure{"no such folder"};
        }
        files_[file] = content;
        return std::nullopt;
    }
    std::optional<ServiceFailure> createDirectories(const std::filesystem::path& folder) override {
        if (failCreateDirectories) {
            return ServiceFailure{"mkdir refused"};
        }
        for (auto p = folder; !p.empty() && p != p.root_path(); p = p.parent_path()) {
            folders_.insert(p);
        }
        return std::nullopt;
    }
    std::optional<ServiceFailure> removeFile(const std::filesystem::path& file) override {
        ++removals;
        if (failRemovals) {
            return ServiceFailure{"unlink refused"};
        }
        files_.erase(file);
        return std::nullopt;
    }

    void put(const std::filesystem::path& file, std::string content) {
        createDirectories(file.parent_path());
        files_[file] = std::move(content);
    }
    std::optional<std::string> content(const std::filesystem::path& file) const {
        return readFile(file, SIZE_MAX);
    }

    bool failWrites = false;
    bool failCreateDirectories = false;
    bool failRemovals = false;
    int writes = 0;
    int removals = 0;

private:
    std::map<std::filesystem::path, std::string> files_;
    std::set<std::filesystem::path> folders_;
};

} // namespace tavrilux::fakes
