#include "ui/settings/ApplicationIcon.h"

#include <QImageReader>
#include <QPainter>

namespace tavrilux::ui {

ApplicationIcon::ApplicationIcon(QImage image, int edge, QWidget* parent)
    : QWidget(parent), image_(std::move(image)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(edge, edge);
}

QImage ApplicationIcon::load(const QString& path, int edge) {
    if (path.isEmpty()) {
        return {};
    }
    QImageReader reader(path);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > edge || size.height() > edge)) {
        // Vector images are drawn at this size; large bitmaps are not decoded whole.
        reader.setScaledSize(size.scaled(edge, edge, Qt::KeepAspectRatio));
    }
    return reader.read();
}

void ApplicationIcon::paintEvent(QPaintEvent*) {
    if (image_.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSizeF fitted = QSizeF(image_.size()).scaled(size(), Qt::KeepAspectRatio);
    const QRectF target(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                        fitted);
    painter.drawImage(target, image_);
}

} // namespace tavrilux::ui
