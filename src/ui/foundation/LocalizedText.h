#pragma once

#include "core/localization/LocalizationManager.h"

#include <QString>

#include <string_view>

namespace tavrilux::ui {

// The text for `key` in the user's language, as widgets take it.
inline QString text(std::string_view key) {
    return QString::fromStdString(L(key));
}

} // namespace tavrilux::ui
