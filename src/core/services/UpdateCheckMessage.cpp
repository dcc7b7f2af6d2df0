#include "core/services/UpdateCheckMessage.h"

namespace tavrilux {

UpdateCheckMessage UpdateCheckMessage::forOutcome(const UpdateCheckOutcome& outcome) {
    switch (outcome.kind) {
    case UpdateCheckOutcome::Kind::updateFound: {
        UpdateCheckMessage message{"A new version of Tavrilux is available",
                                   "Tavrilux " + outcome.version + " is available.",
                                   {}};
        if (outcome.downloadUrl.rfind("https://", 0) == 0) {
            message.downloadUrl = outcome.downloadUrl;
        }
        return message;
    }
    case UpdateCheckOutcome::Kind::upToDate:
        return {"You're up to date!",
                "Tavrilux " + outcome.version + " is currently the newest version available.",
                {}};
    case UpdateCheckOutcome::Kind::failed:
        break;
    }
    return {"Update Error!", "Tavrilux could not check for updates: " + outcome.message + ".", {}};
}

} // namespace tavrilux
