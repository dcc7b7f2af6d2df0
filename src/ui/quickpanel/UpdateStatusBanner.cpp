#include "ui/quickpanel/UpdateStatusBanner.h"

#include "core/localization/LocalizationManager.h"
#include "ui/foundation/Elision.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/ShadowCache.h"
#include "ui/foundation/Symbols.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr qreal kPadX = 14;
constexpr qreal kPadY = 11;
constexpr qreal kIcon = 28;
constexpr qreal kSpacing = 12;
const QColor kOrange(255, 149, 0);

QFont titleFont() {
    return uiFont(12, FontWeight::semibold);
}
QFont badgeFont() {
    return uiFont(9, FontWeight::bold);
}
QFont subtitleFont() {
    return uiFont(11);
}

qreal textHeight() {
    return QFontMetricsF(titleFont()).height() + 2 + QFontMetricsF(subtitleFont()).height();
}
} // namespace

UpdateStatusBanner::UpdateStatusBanner(QWidget* parent)
    : QAbstractButton(parent), title_(QString::fromStdString(L("update_available"))),
      badge_(QString::fromStdString(L("update_new_badge"))) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(title_);
}

void UpdateStatusBanner::setVersion(const QString& version) {
    const QString subtitle =
        QString::fromStdString(withArgument(L("update_available_subtitle"), version.toStdString()));
    if (subtitle != subtitle_) {
        subtitle_ = subtitle;
        setAccessibleDescription(subtitle_);
        update();
    }
}

QRectF UpdateStatusBanner::cardRect() const {
    return QRectF(0, 0, width(), height() - kShadowRoom);
}

QSize UpdateStatusBanner::sizeHint() const {
    const qreal content = std::max(kIcon, textHeight());
    return QSize(240, static_cast<int>(std::ceil(content + 2 * kPadY)) + kShadowRoom);
}

QSize UpdateStatusBanner::minimumSizeHint() const {
    return QSize(120, sizeHint().height());
}

bool UpdateStatusBanner::hitButton(const QPoint& pos) const {
    return continuousRoundedRect(cardRect(), kCornerRadius).contains(QPointF(pos));
}

void UpdateStatusBanner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = cardRect();
    const Shape shape = Shape::rounded(kCornerRadius);
    ShadowCache::shared().drawShadow(painter, shape, card, QColor(0, 0, 0, 46), 5, QPointF(0, 2));
    if (isDown()) {
        painter.setOpacity(0.8);
    }
    const QPainterPath& path = card_.get(shape, card);
    painter.fillPath(path, kOrange);
    painter.strokePath(path, QPen(QColor(255, 255, 255, 56), 1));

    const QRectF icon(kPadX, card.center().y() - kIcon / 2, kIcon, kIcon);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kOrange);
    painter.drawEllipse(icon);
    drawSymbol(painter, icon, symbolName("arrow.down.circle.fill"), 14, Qt::white,
               FontWeight::semibold);

    const QFontMetricsF titleMetrics(titleFont());
    const QFontMetricsF badgeMetrics(badgeFont());
    const QFontMetricsF subtitleMetrics(subtitleFont());
    const qreal x = icon.right() + kSpacing;
    const qreal right = card.right() - kPadX;
    const qreal top = card.center().y() - textHeight() / 2;
    const qreal badgeWidth = badgeMetrics.horizontalAdvance(badge_) + 10;
    const QString title = Elision::elide(titleMetrics, title_, Qt::ElideRight,
                                         std::max<qreal>(0, right - x - 6 - badgeWidth), this);
    painter.setFont(titleFont());
    painter.setPen(Qt::white);
    const QRectF titleRect(x, top, titleMetrics.horizontalAdvance(title), titleMetrics.height());
    painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, title);

    const QRectF badgeRect(titleRect.right() + 6,
                           titleRect.center().y() - (badgeMetrics.height() + 2) / 2, badgeWidth,
                           badgeMetrics.height() + 2);
    fillShape(painter, Shape::capsule(), badgeRect, QColor(255, 255, 255, 56));
    painter.setFont(badgeFont());
    painter.drawText(badgeRect, Qt::AlignCenter, badge_);

    painter.setFont(subtitleFont());
    QColor subtitleColour(Qt::white);
    subtitleColour.setAlphaF(0.94f);
    painter.setPen(subtitleColour);
    painter.drawText(QRectF(x, titleRect.bottom() + 2, right - x, subtitleMetrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     Elision::elide(subtitleMetrics, subtitle_, Qt::ElideRight, right - x, this));
}

} // namespace tavrilux::ui
