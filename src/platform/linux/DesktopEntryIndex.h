#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tavrilux::linux_platform {

// The installed desktop entries (`*.desktop` under the XDG data directories' `applications`
// folders), looked up by a window's WM_CLASS. Loaded once, on first use.
class DesktopEntryIndex final {
public:
    struct Entry {
        // The desktop-entry id: the path below `applications/` with '/' turned into '-', minus
        // ".desktop" ("org.gnome.Nautilus").
        std::string id;
        std::string name;
        // Resolved icon file; empty when none was found.
        std::string iconPath;
    };

    // Directories searched, most important first: $XDG_DATA_HOME then $XDG_DATA_DIRS.
    static std::vector<std::filesystem::path> defaultDataDirs();

    explicit DesktopEntryIndex(std::vector<std::filesystem::path> dataDirs = defaultDataDirs());

    // The entry for a window of this WM_CLASS: StartupWMClass equal to the class, then to the
    // instance; else an entry whose id equals the class, then the instance (ignoring case).
    const Entry* find(const std::string& instance, const std::string& windowClass) const;

private:
    void load() const;

    std::vector<std::filesystem::path> dataDirs_;
    mutable bool loaded_ = false;
    mutable std::vector<Entry> entries_;
    mutable std::map<std::string, std::size_t> byStartupClass_;
    mutable std::map<std::string, std::size_t> byLowerId_;
};

} // namespace tavrilux::linux_platform
