#include "core/services/LoginItem.h"

namespace tavrilux {

LoginItem::LoginItem(Environment environment)
    : env_(std::move(environment)),
      development_(env_.files, env_.autostartFolder, env_.bundle.executablePath,
                   XdgAutostartLoginService::kDevelopmentEntryFileName) {}

LoginItemStatus LoginItem::status() const {
    if (env_.bundle.isPackaged()) {
        return env_.mainApp.status();
    }
    return development_.status() == LoginItemStatus::enabled ? LoginItemStatus::enabled
                                                             : LoginItemStatus::notRegistered;
}

Result<LoginItemStatus> LoginItem::setEnabled(bool enabled) {
    if (!env_.bundle.isPackaged()) {
        return setDevelopmentLoginItemEnabled(enabled);
    }
    const LoginItemStatus current = env_.mainApp.status();
    if (enabled) {
        if (current != LoginItemStatus::enabled) {
            if (auto failure = env_.mainApp.registerApp()) {
                return *failure;
            }
        }
    } else if (current == LoginItemStatus::enabled ||
               current == LoginItemStatus::requiresApproval) {
        if (auto failure = env_.mainApp.unregisterApp()) {
            return *failure;
        }
    }
    return env_.mainApp.status();
}

Result<LoginItemStatus> LoginItem::setDevelopmentLoginItemEnabled(bool enabled) {
    // The entry's service itself refuses to register when no executable is known.
    std::optional<ServiceFailure> failure;
    if (enabled) {
        failure = development_.registerApp();
    } else if (env_.files.fileExists(development_.entryPath())) {
        failure = development_.unregisterApp();
    }
    if (failure) {
        return *failure;
    }
    return status();
}

void LoginItem::openSystemSettings() {
    // Opening a folder that does not exist yet would only show an error.
    env_.files.createDirectories(env_.autostartFolder);
    env_.opener.openFolder(env_.autostartFolder);
}

} // namespace tavrilux
