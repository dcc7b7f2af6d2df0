#include "ui/components/Divider.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"

#include <QPainter>

namespace tavrilux::ui {

Divider::Divider(int leadingInset, QWidget* parent) : QWidget(parent), leadingInset_(leadingInset) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(1);
}

void Divider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Appearance appearance = appearanceOf(this);
    const QRect line(leadingInset_, 0, width() - leadingInset_, 1);
    const QColor separator =
        appearance == Appearance::dark ? QColor(255, 255, 255, 20) : QColor(0, 0, 0, 20);
    painter.fillRect(line, separator);
    painter.fillRect(line, resolve(TavriluxTheme::divider, appearance));
}

} // namespace tavrilux::ui
