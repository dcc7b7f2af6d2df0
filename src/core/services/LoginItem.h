#pragma once

#include "core/services/FileSystem.h"
#include "core/services/LoginItemStatus.h"
#include "core/services/MainAppLoginService.h"
#include "core/services/MainBundleInfo.h"
#include "core/services/ServiceFailure.h"
#include "core/services/SystemOpener.h"

#include <filesystem>

namespace tavrilux {

// Starts the program at login. An installed build registers itself through the desktop's login
// service; a development build writes a per-user launch agent property list of its own. Keeps no
// state: every answer is read afresh from the service or the file. Main thread only.
class LoginItem final {
public:
    static constexpr const char* kMissingExecutable = "Unable to locate the Tavrilux executable.";
    static constexpr const char* kAgentLabel = "com.mirtal.tavrilux.dev";
    static constexpr std::size_t kMaxAgentBytes = 1024 * 1024;

    struct Environment {
        MainBundleInfo bundle;
        MainAppLoginService& mainApp;
        FileSystem& files;
        // The user's home folder; the development agent lives below it.
        std::filesystem::path home;
        // What opening the login-items settings shows.
        std::filesystem::path loginItemsFolder;
        SystemOpener& opener;
    };

    explicit LoginItem(Environment environment);

    // Switches start-at-login on or off; on success, the status read afresh after the change.
    Result<LoginItemStatus> setEnabled(bool enabled);
    LoginItemStatus status() const;
    void openSystemSettings();

    // home/Library/LaunchAgents/com.mirtal.tavrilux.dev.plist
    std::filesystem::path developmentPropertyListPath() const;

private:
    Result<LoginItemStatus> setDevelopmentLoginItemEnabled(bool enabled);
    bool developmentLoginItemMatchesCurrentExecutable() const;

    Environment env_;
};

} // namespace tavrilux
