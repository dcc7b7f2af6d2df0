#include "ui/onboarding/ModeCard.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/LocalizedText.h"
#include "ui/foundation/Symbols.h"

#include <QFontMetricsF>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr qreal kInset = 12;
constexpr qreal kSpacing = 8;
constexpr qreal kTileHeight = 40;
constexpr qreal kCornerRadius = 12;
constexpr qreal kSelectedScale = 1.02;
constexpr Spring kSpring{0.3, 0.75};

qreal badgeHeight() {
    return 4 + QFontMetricsF(uiFont(11, FontWeight::medium)).height();
}

// A colour emoji drawn once per size: the font holds large bitmaps that would otherwise be
// decoded and scaled down at every repaint.
const QImage& emojiImage(const QString& emoji, qreal size, qreal dpr) {
    static QHash<QString, QImage> cache;
    const QString key = QStringLiteral("%1|%2|%3").arg(emoji).arg(size).arg(dpr);
    auto it = cache.find(key);
    if (it == cache.end()) {
        const QFont font = emojiFont(size);
        const QSizeF box = QFontMetricsF(font).size(0, emoji);
        QImage image((box * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.setFont(font);
        p.drawText(QRectF(QPointF(0, 0), box), Qt::AlignCenter, emoji);
        p.end();
        it = cache.insert(key, image);
    }
    return *it;
}
} // namespace

ModeCard::ModeCard(FocusMode mode, Look look, bool isSelected, QWidget* parent)
    : QAbstractButton(parent), mode_(mode), look_(std::move(look)), isSelected_(isSelected),
      selection_(isSelected ? 1.0 : 0.0, this),
      title_(look_.title, uiFont(13, FontWeight::semibold),
             UiColor::theme(TavriluxTheme::primaryText), 1),
      description_(look_.description, uiFont(11), UiColor::theme(TavriluxTheme::secondaryText), 2),
      badge_(ui::text(localizationKey("onboarding_mode_selected")), uiFont(11, FontWeight::medium),
             UiColor::fixed(TavriluxTheme::success), 1, Qt::AlignLeft) {
    setText(look_.title);
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    connect(&selection_, &SpringAnimator::valueChanged, this, qOverload<>(&QWidget::update));
}

void ModeCard::setSelected(bool selected) {
    if (selected != isSelected_) {
        isSelected_ = selected;
        selection_.animateTo(selected ? 1.0 : 0.0, kSpring);
    }
}

qreal ModeCard::cardHeight(qreal width, bool withBadge) const {
    const qreal column = width - 2 * kInset;
    return 2 * kInset + kTileHeight + kSpacing + title_.height(column) + kSpacing +
           description_.height(column) + (withBadge ? kSpacing + badgeHeight() : 0);
}

int ModeCard::heightForWidth(int width) const {
    return static_cast<int>(std::ceil(cardHeight(width - 2 * kGrowRoom, true))) + 2 * kGrowRoom;
}

QSize ModeCard::sizeHint() const {
    return QSize(180, heightForWidth(180));
}

QRectF ModeCard::cardRect() const {
    const qreal w = width() - 2 * kGrowRoom;
    const qreal shown = std::clamp<qreal>(selection_.value(), 0, 1);
    const qreal h = cardHeight(w, false) + (cardHeight(w, true) - cardHeight(w, false)) * shown;
    return QRectF(kGrowRoom, (height() - h) / 2, w, h);
}

void ModeCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal s = selection_.value();
    if ((s != 0 && s != 1) || !isRasterTarget(painter)) {
        paintCard(painter); // springing: drawn afresh each frame
        return;
    }
    // At rest the card is drawn once and then only copied, however often the window repaints.
    const qreal dpr = devicePixelRatioF();
    const RestingLook look{s, appearanceOf(this), hasFocus()};
    if (resting_.size() != (QSizeF(size()) * dpr).toSize() || !(look == restingLook_)) {
        resting_ = QImage((QSizeF(size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
        resting_.setDevicePixelRatio(dpr);
        resting_.fill(Qt::transparent);
        QPainter cache(&resting_);
        paintCard(cache);
        restingLook_ = look;
    }
    painter.drawImage(QPointF(0, 0), resting_);
}

void ModeCard::paintCard(QPainter& painter) {
    const qreal s = selection_.value();
    const qreal shown = std::clamp<qreal>(s, 0, 1);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = cardRect();
    const qreal scale = 1 + (kSelectedScale - 1) * s;
    painter.translate(card.center());
    painter.scale(scale, scale);
    painter.translate(-card.center());
    painter.setOpacity(std::clamp<qreal>(0.75 + 0.25 * s, 0, 1));

    const Shape shape = Shape::rounded(kCornerRadius);
    const QPainterPath& outline = shape_.get(shape, card);
    painter.fillPath(outline, UiColor::theme(TavriluxTheme::surface).resolve(this));
    painter.save();
    painter.setClipPath(outline);

    const qreal x = card.left() + kInset;
    const qreal column = card.width() - 2 * kInset;
    qreal y = card.top() + kInset;
    const QRectF tile(x, y, column, kTileHeight);
    QLinearGradient gradient(tile.topLeft(), tile.bottomRight());
    gradient.setColorAt(0, toQColor(look_.gradientFrom));
    gradient.setColorAt(1, toQColor(look_.gradientTo));
    painter.fillPath(continuousRoundedRect(tile, 8), gradient);
    const QImage& emoji = emojiImage(look_.icon, 20, devicePixelRatioF());
    QRectF glyph(QPointF(0, 0), QSizeF(emoji.size()) / emoji.devicePixelRatio());
    glyph.moveCenter(tile.center());
    painter.drawImage(glyph.topLeft(), emoji);
    y += kTileHeight + kSpacing;
    title_.draw(painter, QPointF(x, y), column, this);
    y += title_.height(column) + kSpacing;
    description_.draw(painter, QPointF(x, y), column, this);
    y += description_.height(column) + kSpacing;
    if (shown > 0) {
        // The badge: a check mark and its word, centred together.
        const QFontMetricsF metrics(uiFont(11, FontWeight::medium));
        const qreal symbol = 11 * SymbolFont::kScale;
        const qreal textWidth = badge_.naturalWidth(column);
        const qreal left = x + (column - symbol - 4 - textWidth) / 2;
        const qreal top = y + 4;
        painter.save();
        painter.setOpacity(painter.opacity() * shown);
        drawSymbol(painter, QRectF(left, top, symbol, metrics.height()),
                   symbolName("checkmark.circle.fill"), 11, toQColor(TavriluxTheme::success));
        painter.restore();
        badge_.draw(painter, QPointF(left + symbol + 4, top), column, this, shown);
    }
    painter.restore();

    if (shown > 0) {
        strokeInside(painter, shape, card, 2, toQColor(TavriluxTheme::accent, shown));
    }
    if (hasFocus()) {
        strokeInside(painter, shape, card.adjusted(-2, -2, 2, 2), 1,
                     UiColor::accent(0.6).resolve(this));
    }
}

} // namespace tavrilux::ui
