#include "app/TrayIconBackdrop.h"

#include "app/StatusGlyph.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>

namespace tavrilux {

std::optional<QColor> TrayIconBackdrop::read(const QSystemTrayIcon& icon) {
    const QRect place = icon.geometry();
    if (!place.isValid()) {
        return std::nullopt;
    }
    // An XEmbed icon of its own opaque window: the toolkit paints the tray's background into it
    // (copied from the screen when the icon was embedded), then the glyph. Painted again here
    // rather than read from the screen, which a compositor may not have updated yet.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("QSystemTrayIconSys") && window->isVisible() &&
            !window->testAttribute(Qt::WA_TranslucentBackground)) {
            return behindGlyph(window->grab().toImage());
        }
    }
    // Translucent icons are blended over the tray on screen alone.
    QScreen* screen = QGuiApplication::screenAt(place.center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return std::nullopt;
    }
    const QPoint at = place.topLeft() - screen->geometry().topLeft();
    const QPixmap shown = screen->grabWindow(0, at.x(), at.y(), place.width(), place.height());
    if (shown.isNull()) {
        return std::nullopt;
    }
    return behindGlyph(shown.toImage());
}

std::optional<QColor> TrayIconBackdrop::behindGlyph(const QImage& shown) {
    const int width = shown.width();
    const int height = shown.height();
    if (width * height < kFewestClearPixels) {
        return std::nullopt;
    }
    QImage glyph(width, height, QImage::Format_ARGB32_Premultiplied);
    glyph.fill(Qt::transparent);
    {
        QPainter painter(&glyph);
        StatusGlyph::paint(painter, QRectF(0, 0, width, height), true, Qt::black);
    }
    const auto clear = [&](int x, int y) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx;
                const int ny = y + dy;
                if (nx >= 0 && ny >= 0 && nx < width && ny < height &&
                    qAlpha(glyph.pixel(nx, ny)) != 0) {
                    return false;
                }
            }
        }
        return true;
    };
    const QImage pixels = shown.convertToFormat(QImage::Format_RGB32);
    long long red = 0;
    long long green = 0;
    long long blue = 0;
    int count = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (clear(x, y)) {
                const QRgb p = pixels.pixel(x, y);
                red += qRed(p);
                green += qGreen(p);
                blue += qBlue(p);
                ++count;
            }
        }
    }
    if (count < kFewestClearPixels) {
        return std::nullopt;
    }
    return QColor(static_cast<int>(red / count), static_cast<int>(green / count),
                  static_cast<int>(blue / count));
}

} // namespace tavrilux
