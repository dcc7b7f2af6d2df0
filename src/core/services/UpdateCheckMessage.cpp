#include "core/services/UpdateCheckMessage.h"

#include "core/localization/LocalizationManager.h"

namespace tavrilux {

UpdateCheckMessage UpdateCheckMessage::forOutcome(const UpdateCheckOutcome& outcome) {
    UpdateCheckMessage message;
    message.dismissButton = L("ok");
    message.downloadButton = L("update_download");
    switch (outcome.kind) {
    case UpdateCheckOutcome::Kind::updateFound:
        message.title = L("update_found_title");
        message.text = withArgument(L("update_found_message"), outcome.version);
        if (outcome.downloadUrl.rfind("https://", 0) == 0) {
            message.downloadUrl = outcome.downloadUrl;
        }
        return message;
    case UpdateCheckOutcome::Kind::upToDate:
        message.title = L("update_up_to_date_title");
        message.text = withArgument(L("update_up_to_date_message"), outcome.version);
        return message;
    case UpdateCheckOutcome::Kind::failed:
        break;
    }
    message.title = L("update_error_title");
    message.text = withArgument(L("update_error_message"), outcome.message);
    return message;
}

} // namespace tavrilux
