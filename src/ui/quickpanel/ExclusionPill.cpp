#include "ui/quickpanel/ExclusionPill.h"

#include "core/localization/LocalizationManager.h"
#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/Painting.h"
#include "ui/foundation/Symbols.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr qreal kPadX = 10;
constexpr qreal kPadY = 5;
constexpr qreal kSpacing = 5;
constexpr qreal kCheckSize = 10;

QFont pillFont() {
    return uiFont(11, FontWeight::semibold);
}

qreal checkBox() {
    return std::ceil(kCheckSize * SymbolFont::kScale);
}
} // namespace

ExclusionPill::ExclusionPill(QWidget* parent)
    : QWidget(parent), removeLabel_(QString::fromStdString(L("remove_exclusion"))),
      check_(false, this) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(&check_, &Presence::changed, this, [this] { update(); });
}

void ExclusionPill::setState(bool isExcluded, const QString& excludeLabel) {
    if (isExcluded == excluded_ && excludeLabel == excludeLabel_) {
        return;
    }
    excluded_ = isExcluded;
    excludeLabel_ = excludeLabel;
    if (isVisible()) {
        check_.setPresent(isExcluded, kSpring);
    } else {
        check_.jumpTo(isExcluded);
    }
    updateGeometry();
    update();
}

QString ExclusionPill::text() const {
    return excluded_ ? removeLabel_ : excludeLabel_;
}

QSize ExclusionPill::sizeHint() const {
    const QFontMetricsF metrics(pillFont());
    qreal width = metrics.horizontalAdvance(text()) + 2 * kPadX;
    if (excluded_) {
        width += checkBox() + kSpacing;
    }
    return QSize(static_cast<int>(std::ceil(width)),
                 static_cast<int>(std::ceil(metrics.height() + 2 * kPadY)));
}

void ExclusionPill::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Appearance appearance = appearanceOf(this);
    const QRectF bounds = rect();
    if (!isEnabled()) {
        painter.setOpacity(kDisabledOpacity);
    }
    if (excluded_) {
        fillShape(painter, Shape::capsule(), bounds, toQColor(TavriluxTheme::accent));
    } else {
        fillShape(painter, Shape::capsule(), bounds, resolve(TavriluxTheme::surface, appearance));
        strokeInside(painter, Shape::capsule(), bounds, 1,
                     resolve(TavriluxTheme::surfaceBorder, appearance));
    }
    const QColor foreground =
        excluded_ ? QColor(Qt::white) : resolve(TavriluxTheme::secondaryText, appearance);
    qreal x = kPadX;
    if (excluded_) {
        const QRectF box(x, (bounds.height() - checkBox()) / 2, checkBox(), checkBox());
        painter.save();
        check_.apply(painter, box, 0.5);
        drawSymbol(painter, box, symbolName("checkmark"), kCheckSize, foreground, FontWeight::bold);
        painter.restore();
        x += checkBox() + kSpacing;
    }
    painter.setFont(pillFont());
    painter.setPen(foreground);
    painter.drawText(QRectF(x, 0, bounds.width() - x, bounds.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
}

} // namespace tavrilux::ui
