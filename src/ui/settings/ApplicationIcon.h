#pragma once

#include <QImage>
#include <QWidget>

namespace tavrilux::ui {

// An application's icon image, fitted into its square (kept in proportion, centred).
class ApplicationIcon final : public QWidget {
    Q_OBJECT
public:
    ApplicationIcon(QImage image, int edge, QWidget* parent = nullptr);

    const QImage& image() const { return image_; }

    // The image at `path`, decoded at most `edge` pixels on its longer side; a null image when
    // the file is missing, is no image or does not decode.
    static QImage load(const QString& path, int edge);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

} // namespace tavrilux::ui
