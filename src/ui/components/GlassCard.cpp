#include "ui/components/GlassCard.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/components/Divider.h"
#include "ui/components/VisualEffectBlur.h"
#include "ui/foundation/ShadowCache.h"

#include <QPainter>
#include <QVBoxLayout>

namespace tavrilux::ui {

namespace {
constexpr qreal kBorderWidth = 0.5;
}

GlassCard::GlassCard(QWidget* parent) : QWidget(parent), layout_(new QVBoxLayout(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
}

void GlassCard::addWidget(QWidget* widget) {
    layout_->addWidget(widget);
}

void GlassCard::addDivider() {
    layout_->addWidget(new Divider(14));
}

QColor GlassCard::fill(Appearance appearance) {
    return appearance == Appearance::light ? QColor(255, 255, 255, 191)
                                           : resolve(TavriluxTheme::surface, appearance, 0.5);
}

QColor GlassCard::apparentColour(Appearance appearance) {
    // Asked at every paint of every swatch: worked out once per appearance.
    static const auto over = [](Appearance a) {
        const QColor fill = GlassCard::fill(a);
        QColor opaque = fill;
        opaque.setAlpha(255);
        return mixColours(VisualEffectBlur::tint(VisualEffectBlur::Material::hudWindow, a, false),
                          opaque, fill.alphaF());
    };
    static const QColor light = over(Appearance::light);
    static const QColor dark = over(Appearance::dark);
    return appearance == Appearance::light ? light : dark;
}

void GlassCard::paintBackground(QPainter& painter, const QPainterPath& shape,
                                const QPainterPath& border, Appearance appearance) {
    const bool light = appearance == Appearance::light;
    painter.fillPath(shape, fill(appearance));
    painter.strokePath(border, QPen(light ? QColor(0, 0, 0, 31)
                                          : resolve(TavriluxTheme::surfaceBorder, appearance, 0.4),
                                    kBorderWidth));
}

void GlassCard::paintEvent(QPaintEvent*) {
    // Drawn once per look and size and then copied: a tall card's fills cost more than the copy.
    const Appearance appearance = appearanceOf(this);
    const QSizeF size = this->size();
    const QImage& image = ShadowCache::shared().blurred(
        appearance == Appearance::light ? QStringLiteral("glass-card-light")
                                        : QStringLiteral("glass-card-dark"),
        size, 0, devicePixelRatioF(), [&](QPainter& p) {
            const QRectF bounds(QPointF(0, 0), size);
            const Shape shape = Shape::rounded(kCornerRadius);
            paintBackground(
                p, shape.path(bounds),
                shape.inset(kBorderWidth / 2).path(strokeRectInside(bounds, kBorderWidth)),
                appearance);
        });
    QPainter painter(this);
    const qreal m = ShadowCache::margin(0);
    painter.drawImage(QPointF(-m, -m), image);
}

} // namespace tavrilux::ui
