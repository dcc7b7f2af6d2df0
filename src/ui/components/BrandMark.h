#pragma once

#include <QImage>
#include <QWidget>

namespace tavrilux::ui {

// The application's mark: the application icon in a square of `size` points with continuous
// corners of 0.26 x size; without an icon, a tile of the same outline in a gradient of the
// theme accent with a white umbrella of 0.5 x size.
class BrandMark final : public QWidget {
    Q_OBJECT
public:
    explicit BrandMark(int size, QWidget* parent = nullptr);

    int markSize() const { return size_; }

    // The application icon, decoded once per process; null when there is none.
    static const QImage& applicationIcon();
    // Draws the mark in `square`; a null `icon` draws the fallback tile.
    static void paint(QPainter& painter, const QRectF& square, const QImage& icon);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int size_;
};

} // namespace tavrilux::ui
