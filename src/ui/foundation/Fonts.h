#pragma once

#include <QFont>

namespace tavrilux::ui {

enum class FontWeight { regular, medium, semibold, bold };

// The platform's sans-serif face at a pixel size equal to the design's point size.
QFont uiFont(qreal size, FontWeight weight = FontWeight::regular);
// The platform's monospaced face (stored identifiers).
QFont monospacedFont(qreal size, FontWeight weight = FontWeight::regular);
// The colour emoji face.
QFont emojiFont(qreal size);

} // namespace tavrilux::ui
