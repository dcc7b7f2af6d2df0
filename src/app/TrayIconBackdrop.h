#pragma once

#include <QColor>
#include <QImage>

#include <optional>

class QSystemTrayIcon;

namespace tavrilux {

// What the tray shows behind the status icon, as the icon shows it: whatever paints it (a
// ParentRelative background, a tinted copy of the wallpaper, a compositor blending translucent
// icons) is read as it ends up in the icon's pixels.
class TrayIconBackdrop final {
public:
    TrayIconBackdrop() = delete;

    // The fewest pixels around the glyph a reading goes by.
    static constexpr int kFewestClearPixels = 8;

    // None when the tray gives the icon no place on screen (StatusNotifierItem, no tray) or its
    // pixels cannot be read. Paints the icon once more.
    static std::optional<QColor> read(const QSystemTrayIcon& icon);
    // The mean colour of `shown` where the glyph, drawn over the whole of `shown` as the tray
    // draws it, leaves the pixel and its neighbours clear (so that no edge of the glyph counts,
    // even one pixel off); none when fewer than kFewestClearPixels are.
    static std::optional<QColor> behindGlyph(const QImage& shown);
};

} // namespace tavrilux
