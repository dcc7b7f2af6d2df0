#pragma once

#include "core/services/ServiceFailure.h"
#include "core/services/UpdaterController.h"

#include <optional>
#include <string_view>

namespace tavrilux {

// The update feed: a JSON object whose "items" array lists releases, each an object with
// "version" (numeric components, compared), and optionally "displayVersion" (shown; defaults to
// the version) and "url" (the download page). Example:
//   {"items": [{"version": "1.4.0", "displayVersion": "1.4", "url": "https://..."}]}
class UpdateFeed final {
public:
    static constexpr std::size_t kMaxFeedBytes = 1024 * 1024;

    // The newest release newer than `currentVersion`, or none when the running version is the
    // newest. Fails when the feed is not such a document (a feed whose items are all unreadable
    // included) or `currentVersion` has no numeric components.
    static Result<std::optional<AppcastItem>> newestUpdate(std::string_view feed,
                                                           std::string_view currentVersion);
};

} // namespace tavrilux
