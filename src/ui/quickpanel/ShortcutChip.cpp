#include "ui/quickpanel/ShortcutChip.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Fonts.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

namespace {
QFont chipFont() {
    return uiFont(10, FontWeight::medium);
}
} // namespace

ShortcutChip::ShortcutChip(const QString& shortcut, QWidget* parent)
    : QWidget(parent), shortcut_(shortcut) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(shortcut);
}

QSize ShortcutChip::sizeHint() const {
    const QFontMetricsF metrics(chipFont());
    return QSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(shortcut_) + 12)),
                 static_cast<int>(std::ceil(metrics.height() + 6)));
}

void ShortcutChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Appearance appearance = appearanceOf(this);
    const QRectF bounds = rect();
    fillShape(painter, Shape::capsule(), bounds, resolve(TavriluxTheme::surface, appearance, 0.6));
    strokeInside(painter, Shape::capsule(), bounds, 0.5,
                 resolve(TavriluxTheme::surfaceBorder, appearance, 0.4));
    painter.setFont(chipFont());
    painter.setPen(resolve(TavriluxTheme::secondaryText, appearance));
    painter.drawText(bounds, Qt::AlignCenter, shortcut_);
}

} // namespace tavrilux::ui
