#include "ui/settings/VersionText.h"

#include "core/localization/LocalizationManager.h"

namespace tavrilux::ui {

QString versionText(const std::optional<std::string>& version) {
    return QString::fromStdString(
        withArgument(L(localizationKey("version_format")), version.value_or("dev")));
}

} // namespace tavrilux::ui
