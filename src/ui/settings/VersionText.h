#pragma once

#include <QString>

#include <optional>
#include <string>

namespace tavrilux::ui {

// The version line of the About views: the text of "version_format" with its "%@" standing for
// the release version, or "dev" when there is none.
QString versionText(const std::optional<std::string>& version);

} // namespace tavrilux::ui
