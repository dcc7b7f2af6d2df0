#pragma once

#include "core/services/UpdateCheckPresenter.h"

#include <string>

namespace tavrilux {

// The words of the small window that tells the outcome of a check the user asked for, in the
// user's language.
struct UpdateCheckMessage final {
    std::string title;
    std::string text;
    // Offered as a button when set: the release's download page (https only).
    std::string downloadUrl;
    std::string dismissButton;
    std::string downloadButton;

    static UpdateCheckMessage forOutcome(const UpdateCheckOutcome& outcome);
};

} // namespace tavrilux
