#include "core/services/UpdateFeed.h"

#include "core/services/SoftwareVersion.h"

#include <nlohmann/json.hpp>

namespace tavrilux {

Result<std::optional<AppcastItem>> UpdateFeed::newestUpdate(std::string_view feed,
                                                            std::string_view currentVersion) {
    const auto current = SoftwareVersion::parse(currentVersion);
    if (!current) {
        return ServiceFailure{"the running version has no comparable number"};
    }
    if (feed.size() > kMaxFeedBytes) {
        return ServiceFailure{"the update feed is too large"};
    }
    const auto document = nlohmann::json::parse(feed, nullptr, /*allow_exceptions=*/false);
    if (!document.is_object() || !document.contains("items") || !document["items"].is_array()) {
        return ServiceFailure{"the update feed is malformed"};
    }
    const auto& items = document["items"];
    std::optional<AppcastItem> newest;
    std::optional<SoftwareVersion> newestVersion;
    std::size_t readable = 0;
    for (const auto& entry : items) {
        if (!entry.is_object() || !entry.contains("version") || !entry["version"].is_string()) {
            continue;
        }
        const auto text = entry["version"].get<std::string>();
        const auto version = SoftwareVersion::parse(text);
        if (!version) {
            continue;
        }
        AppcastItem item{text, text, {}};
        if (entry.contains("displayVersion")) {
            if (!entry["displayVersion"].is_string()) {
                continue;
            }
            item.displayVersionString = entry["displayVersion"].get<std::string>();
        }
        if (entry.contains("url")) {
            if (!entry["url"].is_string()) {
                continue;
            }
            item.downloadUrl = entry["url"].get<std::string>();
        }
        ++readable;
        if (*version > *current && (!newestVersion || *version > *newestVersion)) {
            newest = std::move(item);
            newestVersion = version;
        }
    }
    if (!items.empty() && readable == 0) {
        return ServiceFailure{"the update feed lists no readable release"};
    }
    return newest;
}

} // namespace tavrilux
