#pragma once

#include "core/services/FileSystem.h"
#include "core/services/MainAppLoginService.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tavrilux {

// Login registration through an XDG autostart entry that launches the running executable: the
// installed build's own, or under another name a development build's. The entry counts as
// registered only while it is active (not hidden, not switched off) and still launches this
// executable.
class XdgAutostartLoginService final : public MainAppLoginService {
public:
    static constexpr const char* kEntryFileName = "com.mirtal.tavrilux.desktop";
    static constexpr const char* kDevelopmentEntryFileName = "com.mirtal.tavrilux.dev.desktop";
    static constexpr std::size_t kMaxEntryBytes = 64 * 1024;

    // `autostartFolder` is $XDG_CONFIG_HOME/autostart; `executable` is none when the running
    // program cannot be located.
    XdgAutostartLoginService(FileSystem& files, std::filesystem::path autostartFolder,
                             std::optional<std::filesystem::path> executable,
                             std::string entryFileName = kEntryFileName);

    LoginItemStatus status() const override;
    std::optional<ServiceFailure> registerApp() override;
    std::optional<ServiceFailure> unregisterApp() override;

    std::filesystem::path entryPath() const { return folder_ / entryFileName_; }

    // The entry's text for `executable`; fails for paths a desktop entry cannot carry.
    static Result<std::string> entryText(const std::string& executable);
    // True when `text` is an active application entry whose program is `executable`.
    static bool entryLaunches(std::string_view text, const std::string& executable);

private:
    FileSystem& files_;
    std::filesystem::path folder_;
    std::optional<std::filesystem::path> executable_;
    std::string entryFileName_;
};

} // namespace tavrilux
