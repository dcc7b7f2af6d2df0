#include "ui/components/TextLabel.h"

#include "ui/foundation/Elision.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

namespace {
int ceilInt(qreal v) {
    return static_cast<int>(std::ceil(v));
}

QSize withMargins(const QWidget& w, QSize size) {
    const QMargins m = w.contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}
} // namespace

TextLabel::TextLabel(QString text, const QFont& font, const UiColor& colour, QWidget* parent)
    : QWidget(parent), text_(std::move(text)), font_(font), colour_(colour) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAccessibleName(text_);
}

void TextLabel::setText(const QString& text) {
    if (text != text_) {
        text_ = text;
        setAccessibleName(text_);
        textChanged();
    }
}

QString TextLabel::displayedText() const {
    return upper_ ? locale().toUpper(text_) : text_;
}

void TextLabel::setTextFont(const QFont& font) {
    font_ = font;
    textChanged();
}

void TextLabel::setColor(const UiColor& colour) {
    if (!(colour == colour_)) {
        colour_ = colour;
        update();
    }
}

void TextLabel::setTextOpacity(qreal opacity) {
    opacity_ = opacity;
    update();
}

void TextLabel::setElideMode(Qt::TextElideMode mode) {
    elide_ = mode;
    textChanged();
}

void TextLabel::setWordWrap(bool wrap) {
    wrap_ = wrap;
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(wrap);
    policy.setVerticalPolicy(wrap ? QSizePolicy::Preferred : QSizePolicy::Fixed);
    setSizePolicy(policy);
    textChanged();
}

void TextLabel::setAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

void TextLabel::setUpperCase(bool upper) {
    upper_ = upper;
    textChanged();
}

void TextLabel::textChanged() {
    lineWidth_ = -1;
    updateGeometry();
    update();
}

QSize TextLabel::sizeHint() const {
    const QFontMetricsF metrics(font_);
    if (wrap_) {
        const QRectF bounds =
            metrics.boundingRect(QRectF(0, 0, 360, 1e6), Qt::TextWordWrap, displayedText());
        return withMargins(*this, QSize(ceilInt(bounds.width()), ceilInt(bounds.height())));
    }
    return withMargins(*this, QSize(ceilInt(metrics.horizontalAdvance(displayedText())),
                                    ceilInt(metrics.height())));
}

QSize TextLabel::minimumSizeHint() const {
    const QFontMetricsF metrics(font_);
    if (wrap_) {
        return withMargins(
            *this, QSize(ceilInt(metrics.averageCharWidth() * 8), ceilInt(metrics.height())));
    }
    if (elide_ == Qt::ElideNone) {
        return sizeHint();
    }
    return withMargins(*this, QSize(ceilInt(metrics.horizontalAdvance(QStringLiteral("…")) * 2),
                                    ceilInt(metrics.height())));
}

int TextLabel::heightForWidth(int width) const {
    const QFontMetricsF metrics(font_);
    const QMargins m = contentsMargins();
    const QRectF box(0, 0, width - m.left() - m.right(), 1e6);
    return ceilInt(metrics
                       .boundingRect(box, static_cast<int>(alignment_) | Qt::TextWordWrap,
                                     displayedText())
                       .height()) +
           m.top() + m.bottom();
}

void TextLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font_);
    // a disabled row reads as dimmed, not only its control
    painter.setOpacity(isEnabled() ? opacity_ : opacity_ * kDisabledOpacity);
    painter.setPen(colour_.resolve(this));
    const QRectF area = contentsRect();
    if (wrap_) {
        painter.drawText(area, static_cast<int>(alignment_) | Qt::TextWordWrap, displayedText());
        return;
    }
    const QStaticText& shown = line(area.width());
    const QSizeF size = shown.size();
    qreal x = area.left();
    if (alignment_ & Qt::AlignRight) {
        x = area.right() - size.width();
    } else if (alignment_ & Qt::AlignHCenter) {
        x = area.center().x() - size.width() / 2;
    }
    painter.drawStaticText(QPointF(x, area.top() + (area.height() - size.height()) / 2), shown);
}

const QStaticText& TextLabel::line(qreal width) {
    if (width != lineWidth_) {
        lineWidth_ = width;
        const QString text = displayedText();
        line_.setText(elide_ == Qt::ElideNone
                          ? text
                          : Elision::elide(QFontMetricsF(font_), text, elide_, width, this));
        line_.setTextFormat(Qt::PlainText);
        line_.setPerformanceHint(QStaticText::AggressiveCaching);
        line_.prepare(QTransform(), font_);
    }
    return line_;
}

void TextLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LocaleChange && upper_) {
        textChanged();
    }
    QWidget::changeEvent(event);
}

} // namespace tavrilux::ui
