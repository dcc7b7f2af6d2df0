#include "platform/linux/DesktopEntryApplicationDirectory.h"

#include <algorithm>
#include <system_error>

namespace tavrilux::linux_platform {

namespace fs = std::filesystem;

DesktopEntryApplicationDirectory::DesktopEntryApplicationDirectory(std::vector<fs::path> dataDirs)
    : dataDirs_(std::move(dataDirs)) {}

std::vector<fs::file_time_type> DesktopEntryApplicationDirectory::folderTimes() const {
    std::vector<fs::file_time_type> times;
    times.reserve(dataDirs_.size());
    for (const auto& dir : dataDirs_) {
        std::error_code error;
        const auto time = fs::last_write_time(dir / "applications", error);
        times.push_back(error ? fs::file_time_type::min() : time);
    }
    return times;
}

std::optional<InstalledApplication>
DesktopEntryApplicationDirectory::application(std::string_view key) const {
    if (key.empty()) {
        return std::nullopt;
    }
    if (auto times = folderTimes(); !index_ || times != times_ || racy_) {
        const auto scannedAt = fs::file_time_type::clock::now();
        index_ = std::make_unique<DesktopEntryIndex>(dataDirs_);
        // Folder times are coarse: a change in the same moment as a scan would leave the time
        // as it was, so a scan that close to a change is not trusted next time.
        racy_ = std::any_of(times.begin(), times.end(),
                            [&](auto time) { return time > scannedAt - kTimeGranularity; });
        times_ = std::move(times);
    }
    const std::string name(key);
    const auto* entry = index_->find(name, name);
    if (entry == nullptr) {
        return std::nullopt;
    }
    return InstalledApplication{entry->name, entry->iconPath};
}

} // namespace tavrilux::linux_platform
