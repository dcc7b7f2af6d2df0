#pragma once

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QRectF>

#include <functional>

namespace tavrilux {

// The status item's image: an umbrella in the tray's foreground colour with a status dot at the
// bottom right, green while dimming is on and red while it is off. A thin edge of the opposite
// lightness keeps the umbrella legible when the tray behind it is not what its colour expects.
// Painted for the exact size asked for, so it stays crisp at whatever size the tray gives its
// icons.
class StatusGlyph final {
public:
    StatusGlyph() = delete;

    // The umbrella's colour, asked each time the glyph is drawn.
    using Foreground = std::function<QColor()>;

    static constexpr double kSymbolScale = 0.78;
    static constexpr QRgb kOnColor = qRgb(52, 199, 89);
    static constexpr QRgb kOffColor = qRgb(255, 59, 48);

    // An icon that paints the glyph at every size it is drawn at.
    static QIcon icon(bool enabled, Foreground foreground);
    static QImage image(bool enabled, int size, const QColor& foreground);
    // The glyph over `square`.
    static void paint(QPainter& painter, const QRectF& square, bool enabled,
                      const QColor& foreground);
    // The umbrella alone, centred in `square`; false when it could not be drawn.
    static bool paintUmbrella(QPainter& painter, const QRectF& square, const QColor& foreground);
};

} // namespace tavrilux
