#include "ui/components/SettingsGroupCard.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/components/Divider.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/ShadowCache.h"

#include <QPainter>
#include <QVBoxLayout>

namespace tavrilux::ui {

namespace {
// Room for the shadow (radius 1, one point down) inside the widget.
constexpr int kShadowSide = 1;
constexpr int kShadowBottom = 2;
} // namespace

SettingsGroupCard::SettingsGroupCard(QWidget* parent)
    : QWidget(parent), layout_(new QVBoxLayout(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    layout_->setContentsMargins(kShadowSide, 0, kShadowSide, kShadowBottom);
    layout_->setSpacing(0);
}

void SettingsGroupCard::addWidget(QWidget* widget) {
    layout_->addWidget(widget);
}

void SettingsGroupCard::addDivider(int leadingInset) {
    layout_->addWidget(new Divider(leadingInset));
}

QRectF SettingsGroupCard::cardRect() const {
    return QRectF(rect()).adjusted(kShadowSide, 0, -kShadowSide, -kShadowBottom);
}

void SettingsGroupCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = cardRect();
    const Shape shape = Shape::rounded(kCornerRadius);
    ShadowCache::shared().drawShadow(painter, shape, card, QColor(0, 0, 0, 13), 1, QPointF(0, 1));
    painter.fillPath(shape_.get(shape, card), controlBackground(this));
    painter.strokePath(border_.get(shape.inset(0.5), strokeRectInside(card, 1)),
                       QPen(resolve(TavriluxTheme::divider, appearanceOf(this)), 1));
}

} // namespace tavrilux::ui
