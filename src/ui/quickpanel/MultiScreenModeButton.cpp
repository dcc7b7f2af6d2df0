#include "ui/quickpanel/MultiScreenModeButton.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/Symbols.h"
#include "ui/quickpanel/BouncyButtonStyle.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr qreal kPadX = 9;
constexpr qreal kSpacing = 7;
constexpr qreal kSymbolSize = 13;
constexpr int kMinHeight = 38;
constexpr qreal kBorderWidth = 0.5;

QFont titleFont() {
    return uiFont(11, FontWeight::semibold);
}

qreal symbolBox() {
    return std::ceil(kSymbolSize * SymbolFont::kScale);
}
} // namespace

MultiScreenModeButton::MultiScreenModeButton(std::string_view icon, const QString& title,
                                             QWidget* parent)
    : QAbstractButton(parent), icon_(icon), style_(new BouncyButtonStyle(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setText(title);
    setAccessibleName(title);
    setCheckable(true); // the selected state, for assistive technology
}

void MultiScreenModeButton::setSelected(bool selected) {
    if (selected != selected_) {
        selected_ = selected;
        setChecked(selected);
        update();
    }
}

QSize MultiScreenModeButton::sizeHint() const {
    const QFontMetricsF metrics(titleFont());
    return QSize(static_cast<int>(std::ceil(2 * kPadX + symbolBox() + kSpacing +
                                            metrics.horizontalAdvance(text()))),
                 kMinHeight);
}

QSize MultiScreenModeButton::minimumSizeHint() const {
    return QSize(static_cast<int>(2 * kPadX + symbolBox()), kMinHeight);
}

void MultiScreenModeButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    style_->apply(painter, bounds);
    const Appearance appearance = appearanceOf(this);
    const bool light = appearance == Appearance::light;
    const Shape shape = Shape::rounded(8);
    QColor fill;
    QColor border;
    if (selected_) {
        fill = toQColor(TavriluxTheme::accent, 0.12);
        border = toQColor(TavriluxTheme::accent, 0.5);
    } else {
        fill =
            light ? QColor(255, 255, 255, 191) : resolve(TavriluxTheme::surface, appearance, 0.4);
        border = resolve(TavriluxTheme::surfaceBorder, appearance, 0.4);
    }
    painter.fillPath(tile_.get(shape, bounds), fill);
    painter.strokePath(
        border_.get(shape.inset(kBorderWidth / 2), strokeRectInside(bounds, kBorderWidth)),
        QPen(border, kBorderWidth));
    const QColor foreground = selected_ ? toQColor(TavriluxTheme::accent)
                                        : resolve(TavriluxTheme::secondaryText, appearance);
    const qreal box = symbolBox();
    drawSymbol(painter, QRectF(kPadX, (bounds.height() - box) / 2, box, box), icon_, kSymbolSize,
               foreground, FontWeight::semibold);
    const qreal x = kPadX + box + kSpacing;
    const QRectF titleRect(x, 0, bounds.width() - x - kPadX, bounds.height());
    painter.setFont(titleFont());
    painter.setPen(foreground);
    // A title too long for one line takes two (the tile is tall enough) rather than lose its end.
    painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, text());
}

} // namespace tavrilux::ui
