#pragma once

#include "core/platform/ApplicationDirectory.h"
#include "platform/linux/DesktopEntryIndex.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

namespace tavrilux::linux_platform {

// The installed applications from their desktop entries. A key names the entry whose
// StartupWMClass or id (ignoring case) equals it, as window classes do. The entries are read
// again whenever an `applications` folder changed since the last look.
class DesktopEntryApplicationDirectory final : public ApplicationDirectory {
public:
    explicit DesktopEntryApplicationDirectory(
        std::vector<std::filesystem::path> dataDirs = DesktopEntryIndex::defaultDataDirs());

    std::optional<InstalledApplication> application(std::string_view key) const override;

private:
    static constexpr std::chrono::seconds kTimeGranularity{1};

    std::vector<std::filesystem::file_time_type> folderTimes() const;

    std::vector<std::filesystem::path> dataDirs_;
    mutable std::vector<std::filesystem::file_time_type> times_;
    mutable std::unique_ptr<DesktopEntryIndex> index_;
    mutable bool racy_ = false;
};

} // namespace tavrilux::linux_platform
