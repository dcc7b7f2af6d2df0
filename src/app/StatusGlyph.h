#pragma once

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QRectF>

namespace tavrilux {

// The status item's image: a white umbrella with a status dot at the bottom right, green while
// dimming is on and red while it is off. Painted for the exact size asked for, so it stays
// crisp at whatever size the tray gives its icons.
class StatusGlyph final {
public:
    StatusGlyph() = delete;

    static constexpr double kSymbolScale = 0.78;
    static constexpr QRgb kOnColor = qRgb(52, 199, 89);
    static constexpr QRgb kOffColor = qRgb(255, 59, 48);

    // An icon that paints the glyph at every size it is drawn at.
    static QIcon icon(bool enabled);
    static QImage image(bool enabled, int size);
    // The glyph over `square`.
    static void paint(QPainter& painter, const QRectF& square, bool enabled);
    // The white umbrella alone, centred in `square`; false when it could not be drawn.
    static bool paintUmbrella(QPainter& painter, const QRectF& square);
};

} // namespace tavrilux
