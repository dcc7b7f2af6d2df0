#include "ui/settings/VersionText.h"

#include "core/localization/LocalizationManager.h"

namespace tavrilux::ui {

QString versionText(const std::optional<std::string>& version) {
    std::string text = L(localizationKey("version_format"));
    const std::string shown = version.value_or("dev");
    if (const auto at = text.find("%@"); at != std::string::npos) {
        text.replace(at, 2, shown);
    }
    return QString::fromStdString(text);
}

} // namespace tavrilux::ui
