#include "platform/linux/DesktopEntryApplicationDirectory.h"

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
    if (auto times = folderTimes(); !index_ || times != times_) {
        index_ = std::make_unique<DesktopEntryIndex>(dataDirs_);
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
