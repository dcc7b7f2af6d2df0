#pragma once

#include "core/localization/LocalizationManager.h"

#include <QString>
#include <QStringList>

#include <string_view>

namespace tavrilux::ui {

// The text for `key` in the user's language, as widgets take it.
inline QString text(std::string_view key) {
    return QString::fromStdString(L(key));
}

// The keys of the hot key that turns dimming on or off, as their key caps name them.
inline QStringList toggleDimmingKeys() {
    return {text(localizationKey("key_alt")), text(localizationKey("key_super")),
            text(localizationKey("key_o"))};
}

} // namespace tavrilux::ui
