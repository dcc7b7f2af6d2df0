#include "ui/settings/ExclusionRows.h"

#include "core/platform/Screens.h"

namespace tavrilux::ui {

// A std::set<std::string> already iterates in byte order, which for UTF-8 is code-point order.

std::vector<ExcludedApp> excludedApps(const std::set<std::string>& keys,
                                      const ApplicationDirectory& directory) {
    std::vector<ExcludedApp> rows;
    rows.reserve(keys.size());
    for (const auto& key : keys) {
        rows.push_back(ExcludedApp{key, directory.application(key)});
    }
    return rows;
}

std::vector<ExcludedDisplay> excludedDisplays(const std::set<std::string>& keys,
                                              const Screens& screens) {
    const auto connected = screens.screens();
    std::vector<ExcludedDisplay> rows;
    rows.reserve(keys.size());
    for (const auto& key : keys) {
        ExcludedDisplay row{key, std::nullopt};
        for (const auto& screen : connected) {
            if (tavriluxDisplayUUID(screen, screens) == key) {
                row.connectedName = screen.localizedName;
                break;
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace tavrilux::ui
