#include "ui/settings/KeyCap.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/Painting.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr qreal kMinimum = 22;
constexpr qreal kSpacing = 4;
constexpr qreal kPadding = 7; // beside a key's text when it is wider than the minimum

QFont capFont() {
    return uiFont(12, FontWeight::semibold);
}
} // namespace

KeyCap::KeyCap(QStringList keys, QWidget* parent) : QWidget(parent), keys_(std::move(keys)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(keys_.join(QLatin1Char('+')));
}

QList<QRectF> KeyCap::capRects() const {
    const QFontMetricsF metrics(capFont());
    QList<QRectF> rects;
    qreal x = 0.5;
    for (const QString& key : keys_) {
        const qreal w =
            std::max(kMinimum, std::ceil(metrics.horizontalAdvance(key)) + 2 * kPadding);
        rects.append(QRectF(x, 0.5, w, kMinimum));
        x += w + kSpacing;
    }
    return rects;
}

QSize KeyCap::sizeHint() const {
    const auto rects = capRects();
    const qreal right = rects.isEmpty() ? 0 : rects.back().right();
    return QSize(static_cast<int>(std::ceil(right + 0.5)), static_cast<int>(kMinimum + 1));
}

void KeyCap::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Appearance appearance = appearanceOf(this);
    const Shape shape = Shape::rounded(6);
    painter.setFont(capFont());
    const auto rects = capRects();
    for (int i = 0; i < rects.size(); ++i) {
        painter.fillPath(shape.path(rects[i]), resolve(TavriluxTheme::surface, appearance));
        strokeInside(painter, shape, rects[i], 1,
                     resolve(TavriluxTheme::surfaceBorder, appearance));
        painter.setPen(resolve(TavriluxTheme::secondaryText, appearance));
        painter.drawText(rects[i], Qt::AlignCenter, keys_[i]);
    }
}

} // namespace tavrilux::ui
