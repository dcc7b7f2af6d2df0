#pragma once

#include "core/resources/ResourceBundle.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>

namespace tavrilux::fakes {

// A resource bundle held in memory. Files are added by relative path; folders exist implicitly
// for every file below them, and addFolder() adds an empty one. Reads are counted per path.
class FakeResourceBundle final : public ResourceBundle {
public:
    void addFile(const std::string& path, std::string contents) {
        files_[path] = std::move(contents);
        for (std::size_t slash = path.find('/'); slash != std::string::npos;
             slash = path.find('/', slash + 1)) {
            folders_.insert(path.substr(0, slash));
        }
    }
    void addFolder(const std::string& path) { folders_.insert(path); }
    // Adds "<code>.lproj/Localizable.strings".
    void addTable(const std::string& code, std::string contents) {
        addFile(code + ".lproj/Localizable.strings", std::move(contents));
    }

    std::vector<std::string> localizations() const override {
        std::vector<std::string> codes;
        for (const auto& folder : folders_) {
            if (folder.find('/') == std::string::npos && folder.ends_with(".lproj")) {
                codes.push_back(folder.substr(0, folder.size() - 6));
            }
        }
        return codes;
    }
    bool exists(const std::string& path) const override {
        return isSafeRelativePath(path) && (files_.count(path) > 0 || folders_.count(path) > 0);
    }
    std::optional<std::string> readFile(const std::string& path) const override {
        ++reads_[path];
        if (auto it = files_.find(path); it != files_.end()) {
            return it->second;
        }
        return std::nullopt;
    }
    std::string location() const override { return "/fake/Tavrilux_Tavrilux.bundle"; }

    int readCount(const std::string& path) const {
        auto it = reads_.find(path);
        return it == reads_.end() ? 0 : it->second;
    }

private:
    std::map<std::string, std::string> files_;
    std::set<std::string> folders_;
    mutable std::map<std::string, int> reads_;
};

} // namespace tavrilux::fakes
