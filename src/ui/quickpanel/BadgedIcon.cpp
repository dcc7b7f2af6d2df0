#include "ui/quickpanel/BadgedIcon.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Symbols.h"

#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr qreal kBadgeSymbolSize = 13;
} // namespace

BadgedIcon::BadgedIcon(QWidget* parent) : QWidget(parent), badge_(false, this) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(&badge_, &Presence::changed, this, [this] { update(); });
}

void BadgedIcon::setImage(const QImage& image) {
    image_ = image;
    update();
}

void BadgedIcon::setSymbol(std::string_view name, qreal size, FontWeight weight) {
    image_ = QImage();
    symbol_ = name;
    symbolSize_ = size;
    weight_ = weight;
    update();
}

void BadgedIcon::setExcluded(bool excluded) {
    if (isVisible()) {
        badge_.setPresent(excluded, kSpring);
    } else if (excluded != badge_.isPresent()) {
        badge_.jumpTo(excluded);
    }
}

QSize BadgedIcon::sizeHint() const {
    return QSize(kIconSize + 2 * kOverhang, kIconSize + 2 * kOverhang);
}

void BadgedIcon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const Appearance appearance = appearanceOf(this);
    const QRectF square(kOverhang, kOverhang, kIconSize, kIconSize);
    if (!isEnabled()) {
        painter.setOpacity(kDisabledOpacity);
    }
    if (!image_.isNull()) {
        painter.drawImage(square, image_);
    } else if (!symbol_.empty()) {
        drawSymbol(painter, square, symbol_, symbolSize_,
                   resolve(TavriluxTheme::secondaryText, appearance), weight_);
    }
    if (!badge_.isVisible()) {
        return;
    }
    // The glyph is a disc with the minus cut out, white showing through the cut. Under it, a
    // circle of the window's colour 1 point inside the disc, so none of it rims the badge.
    const qreal edge = std::ceil(kBadgeSymbolSize * SymbolFont::kScale);
    const QRectF box(square.right() - edge + kOverhang, square.bottom() - edge + kOverhang, edge,
                     edge);
    QRectF disc(QPointF(), SymbolFont::shared().inkSize(symbolName("minus.circle.fill"),
                                                        kBadgeSymbolSize, FontWeight::bold));
    disc.moveCenter(box.center());
    painter.save();
    badge_.apply(painter, box, 0.4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(windowBackground(this));
    painter.drawEllipse(disc.adjusted(1, 1, -1, -1));
    painter.setBrush(Qt::white);
    painter.drawEllipse(box.adjusted(3, 3, -3, -3));
    drawSymbol(painter, box, symbolName("minus.circle.fill"), kBadgeSymbolSize,
               toQColor(TavriluxTheme::accent), FontWeight::bold);
    painter.restore();
}

} // namespace tavrilux::ui
