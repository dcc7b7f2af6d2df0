#include "ui/settings/LinkButton.h"

#include "ui/foundation/Appearance.h"
#include "ui/foundation/Fonts.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

namespace {
QFont linkFont() {
    return uiFont(11);
}
} // namespace

LinkButton::LinkButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    setText(text);
    setAccessibleName(text);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_Hover); // underlined under the pointer
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize LinkButton::sizeHint() const {
    const QFontMetricsF metrics(linkFont());
    return QSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(text()))) + 1,
                 static_cast<int>(std::ceil(metrics.height())) + 2);
}

void LinkButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QFont font = linkFont();
    font.setUnderline(underMouse() || hasFocus());
    painter.setFont(font);
    painter.setPen(isDown() ? systemAccent(this).darker(130) : systemAccent(this));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, text());
}

} // namespace tavrilux::ui
