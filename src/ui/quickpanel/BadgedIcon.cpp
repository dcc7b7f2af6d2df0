#include "ui/quickpanel/BadgedIcon.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Symbols.h"

#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr qreal kBadgeSymbolSize = 13;
constexpr qreal kMinusThickness = 2;
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
    // The symbol in its two levels: a disc in the accent and a white minus on it. The font's
    // glyph cuts the minus out of the disc, a cut too thin at this size to show white.
    const qreal edge = std::ceil(kBadgeSymbolSize * SymbolFont::kScale);
    const QRectF box(square.right() - edge + kOverhang, square.bottom() - edge + kOverhang, edge,
                     edge);
    QRectF disc(QPointF(), SymbolFont::shared().inkSize(symbolName("minus.circle.fill"),
                                                        kBadgeSymbolSize, FontWeight::bold));
    disc.moveCenter(box.center());
    // Half the disc wide, in whole pixels either side of the centre, and as thick as the bold
    // weight's strokes.
    QRectF minus(0, 0, 2 * std::round(disc.width() / 4), kMinusThickness);
    minus.moveCenter(box.center());
    painter.save();
    badge_.apply(painter, box, 0.4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(toQColor(TavriluxTheme::accent));
    painter.drawEllipse(disc);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(minus, kMinusThickness / 2, kMinusThickness / 2);
    painter.restore();
}

} // namespace tavrilux::ui
