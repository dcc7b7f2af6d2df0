#pragma once

#include "core/services/DiagnosticPayload.h"

#include <cstddef>
#include <filesystem>

namespace tavrilux::linux_platform {

// The crash records that earlier runs left in the diagnostics folder.
class CrashDiagnosticsStore final {
public:
    explicit CrashDiagnosticsStore(std::filesystem::path folder = defaultFolder());

    // $XDG_STATE_HOME/tavrilux/diagnostics
    static std::filesystem::path defaultFolder();

    // Hands every readable record to the subscriber, oldest first, as one payload each in a
    // single delivery, then removes them. Files that are not complete records of this user
    // (malformed, cut short, too large, links, another owner's) are removed unread. A folder
    // that is not this user's own is not read at all. Returns the number of records delivered.
    std::size_t deliverPending(DiagnosticSubscriber& subscriber);

    const std::filesystem::path& folder() const { return folder_; }

private:
    std::filesystem::path folder_;
};

} // namespace tavrilux::linux_platform
