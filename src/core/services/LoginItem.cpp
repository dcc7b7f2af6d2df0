#include "core/services/LoginItem.h"

#include "core/services/XmlPropertyList.h"

namespace tavrilux {

LoginItem::LoginItem(Environment environment) : env_(std::move(environment)) {}

std::filesystem::path LoginItem::developmentPropertyListPath() const {
    return env_.home / "Library" / "LaunchAgents" / "com.mirtal.tavrilux.dev.plist";
}

LoginItemStatus LoginItem::status() const {
    if (env_.bundle.isPackaged()) {
        return env_.mainApp.status();
    }
    return developmentLoginItemMatchesCurrentExecutable() ? LoginItemStatus::enabled
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
    const auto plist = developmentPropertyListPath();
    if (!enabled) {
        if (!env_.files.fileExists(plist)) {
            return status();
        }
        if (auto failure = env_.files.removeFile(plist)) {
            return *failure;
        }
        return status();
    }
    if (!env_.bundle.executablePath) {
        return ServiceFailure{kMissingExecutable};
    }
    auto agent = PropertyListValue::dictionary();
    agent.set("Label", PropertyListValue::string(kAgentLabel));
    agent.set("ProgramArguments", PropertyListValue::array({PropertyListValue::string(
                                      env_.bundle.executablePath->string())}));
    agent.set("RunAtLoad", PropertyListValue::boolean(true));
    agent.set("LimitLoadToSessionType", PropertyListValue::string("Aqua"));
    agent.set("ProcessType", PropertyListValue::string("Interactive"));
    auto document = XmlPropertyList::serialize(agent);
    if (!document.ok()) {
        return document.failure();
    }
    if (auto failure = env_.files.createDirectories(plist.parent_path())) {
        return *failure;
    }
    if (auto failure = env_.files.writeFileAtomically(plist, document.value())) {
        return *failure;
    }
    return status();
}

bool LoginItem::developmentLoginItemMatchesCurrentExecutable() const {
    if (!env_.bundle.executablePath) {
        return false;
    }
    auto text = env_.files.readFile(developmentPropertyListPath(), kMaxAgentBytes);
    if (!text) {
        return false;
    }
    auto root = XmlPropertyList::parse(*text);
    if (!root.ok() || root.value().type() != PropertyListValue::Type::dictionary) {
        return false;
    }
    const PropertyListValue* arguments = root.value().find("ProgramArguments");
    if (!arguments || !arguments->asArray() || arguments->items().empty()) {
        return false;
    }
    for (const auto& argument : arguments->items()) {
        if (!argument.asString()) {
            return false;
        }
    }
    const std::string* first = arguments->items().front().asString();
    return first != nullptr && *first == env_.bundle.executablePath->string();
}

void LoginItem::openSystemSettings() {
    // Opening a folder that does not exist yet would only show an error.
    env_.files.createDirectories(env_.loginItemsFolder);
    env_.opener.openFolder(env_.loginItemsFolder);
}

} // namespace tavrilux
