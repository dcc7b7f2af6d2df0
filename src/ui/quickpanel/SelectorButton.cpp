#include "ui/quickpanel/SelectorButton.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Elision.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/ShadowCache.h"
#include "ui/foundation/Symbols.h"
#include "ui/quickpanel/BouncyButtonStyle.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr qreal kSymbolSize = 13;
constexpr qreal kPadY = 8;
constexpr qreal kSpacing = 3;
constexpr qreal kBorderWidth = 0.5;
constexpr Spring kBounceSpring{0.32, 0.45};

QFont titleFont() {
    return uiFont(10, FontWeight::semibold);
}

qreal symbolBox() {
    return std::ceil(kSymbolSize * SymbolFont::kScale);
}

} // namespace

SelectorButton::SelectorButton(std::string_view symbol, const QString& title, const Rgba& accent,
                               QWidget* parent)
    : QAbstractButton(parent), symbol_(symbol), accent_(accent),
      style_(new BouncyButtonStyle(this)), selection_(0.0, this), bounce_(0.0, this) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setText(title);
    setAccessibleName(title);
    setCheckable(true); // tells assistive technology which one is selected
    for (SpringAnimator* animator : {&selection_, &bounce_}) {
        connect(animator, &SpringAnimator::valueChanged, this, [this] { update(); });
    }
}

void SelectorButton::setSelected(bool selected) {
    if (selected == selected_) {
        return;
    }
    selected_ = selected;
    setChecked(selected);
    // A panel being built shows its selection as it is; motion is for changes on screen.
    if (!isVisible()) {
        selection_.jumpTo(selected ? 1.0 : 0.0);
    } else {
        selection_.animateTo(selected ? 1.0 : 0.0, kSelectionSpring);
        if (SpringAnimator::animationsEnabled()) {
            bounce_.jumpTo(1.0);
            bounce_.animateTo(0.0, kBounceSpring);
        }
    }
    update();
}

QRectF SelectorButton::drawnFrame() const {
    return style_->scaled(QRectF(geometry()));
}

QSize SelectorButton::sizeHint() const {
    const QFontMetricsF metrics(titleFont());
    const qreal width = std::max(metrics.horizontalAdvance(text()), symbolBox()) + 16;
    return QSize(
        static_cast<int>(std::ceil(width)),
        static_cast<int>(std::ceil(2 * kPadY + symbolBox() + kSpacing + metrics.height())));
}

QSize SelectorButton::minimumSizeHint() const {
    return QSize(static_cast<int>(symbolBox()) + 8, sizeHint().height());
}

void SelectorButton::paintHighlight(QPainter& painter, const SlidingHighlight::Placement& placement,
                                    const Rgba& fromAccent, const Rgba& toAccent,
                                    Appearance appearance, bool withShadow) {
    const QColor accent = mixColours(toQColor(fromAccent), toQColor(toAccent), placement.progress);
    const auto tinted = [&accent](double opacity) {
        QColor c = accent;
        c.setAlphaF(static_cast<float>(c.alphaF() * opacity));
        return c;
    };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(placement.opacity);
    const Shape shape = Shape::rounded(kCornerRadius);
    if (withShadow) {
        ShadowCache::shared().drawShadow(painter, shape, placement.rect, tinted(0.1), 6,
                                         QPointF(0, 2));
    }
    fillShape(painter, shape, placement.rect,
              tinted(appearance == Appearance::light ? 0.15 : 0.08));
    strokeInside(painter, shape, placement.rect, kBorderWidth, tinted(0.5));
    painter.restore();
}

void SelectorButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    style_->apply(painter, bounds);
    const Appearance appearance = appearanceOf(this);
    const bool light = appearance == Appearance::light;
    if (!selected_) {
        const Shape shape = Shape::rounded(kCornerRadius);
        painter.fillPath(tile_.get(shape, bounds),
                         light ? QColor(255, 255, 255, 191)
                               : resolve(TavriluxTheme::surface, appearance, 0.4));
        painter.strokePath(
            border_.get(shape.inset(kBorderWidth / 2), strokeRectInside(bounds, kBorderWidth)),
            QPen(light ? QColor(0, 0, 0, 31)
                       : resolve(TavriluxTheme::surfaceBorder, appearance, 0.3),
                 kBorderWidth));
    }
    const QColor colour =
        mixColours(resolve(TavriluxTheme::primaryText, appearance), toQColor(accent_),
                   std::clamp<qreal>(selection_.value(), 0, 1));
    const QFontMetricsF metrics(titleFont());
    const qreal box = symbolBox();
    const qreal top = (bounds.height() - (box + kSpacing + metrics.height())) / 2;
    const QRectF symbolRect(bounds.center().x() - box / 2, top, box, box);
    painter.save();
    const qreal squash = 1.0 - 0.16 * bounce_.value();
    painter.translate(symbolRect.center());
    painter.scale(squash, squash);
    painter.translate(-symbolRect.center());
    drawSymbol(painter, symbolRect, symbol_, kSymbolSize, colour, FontWeight::semibold);
    painter.restore();
    const QRectF titleRect(4, symbolRect.bottom() + kSpacing, bounds.width() - 8, metrics.height());
    painter.setFont(titleFont());
    painter.setPen(colour);
    painter.drawText(titleRect, Qt::AlignHCenter | Qt::AlignVCenter,
                     Elision::elide(metrics, text(), Qt::ElideRight, titleRect.width(), this));
}

} // namespace tavrilux::ui
