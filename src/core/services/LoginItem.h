#pragma once

#include "core/services/FileSystem.h"
#include "core/services/LoginItemStatus.h"
#include "core/services/MainAppLoginService.h"
#include "core/services/MainBundleInfo.h"
#include "core/services/ServiceFailure.h"
#include "core/services/SystemOpener.h"
#include "core/services/XdgAutostartLoginService.h"

#include <filesystem>

namespace tavrilux {

// Starts the program at login. An installed build registers itself through the desktop's login
// service; a development build writes an autostart entry of its own that launches the running
// executable. Keeps no state: every answer is read afresh from the service or the entry. Main
// thread only.
class LoginItem final {
public:
    struct Environment {
        MainBundleInfo bundle;
        MainAppLoginService& mainApp;
        FileSystem& files;
        // $XDG_CONFIG_HOME/autostart: where the development entry lives, and what opening the
        // login-items settings shows.
        std::filesystem::path autostartFolder;
        SystemOpener& opener;
    };

    explicit LoginItem(Environment environment);

    // Switches start-at-login on or off; on success, the status read afresh after the change.
    Result<LoginItemStatus> setEnabled(bool enabled);
    LoginItemStatus status() const;
    void openSystemSettings();

private:
    Result<LoginItemStatus> setDevelopmentLoginItemEnabled(bool enabled);

    Environment env_;
    XdgAutostartLoginService development_;
};

} // namespace tavrilux
