#include "ui/onboarding/TextBlock.h"

#include "ui/foundation/Elision.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextOption>

#include <algorithm>

namespace tavrilux::ui {

TextBlock::TextBlock(QString text, const QFont& font, const UiColor& colour, int maxLines,
                     Qt::Alignment alignment)
    : text_(std::move(text)), font_(font), colour_(colour), maxLines_(maxLines),
      alignment_(alignment) {}

void TextBlock::setText(const QString& text) {
    if (text != text_) {
        text_ = text;
        width_ = -1;
    }
}

QTextLayout& TextBlock::layout(qreal width) {
    if (layout_ && width == width_) {
        return *layout_;
    }
    width_ = width;
    QTextOption option(alignment_);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    auto lay = [&](const QString& text) {
        auto layout = std::make_unique<QTextLayout>(text, font_);
        layout->setTextOption(option);
        layout->setCacheEnabled(true);
        layout->beginLayout();
        const qreal leading = QFontMetricsF(font_).leading();
        qreal y = 0;
        int lines = 0;
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, y));
            y += line.height() + leading;
            if (maxLines_ > 0 && ++lines == maxLines_) {
                break;
            }
        }
        layout->endLayout();
        return layout;
    };
    layout_ = lay(text_);
    const int count = layout_->lineCount();
    if (count > 0) {
        const QTextLine last = layout_->lineAt(count - 1);
        const int end = last.textStart() + last.textLength();
        if (end < text_.size()) {
            // The rest does not fit: the last line ends in an ellipsis.
            const QString rest =
                Elision::elide(QFontMetricsF(font_), text_.mid(last.textStart()).simplified(),
                               Qt::ElideRight, width, nullptr);
            layout_ = lay(text_.left(last.textStart()) + rest);
        }
    }
    return *layout_;
}

qreal TextBlock::height(qreal width) {
    QTextLayout& text = layout(width);
    const int count = text.lineCount();
    if (count == 0) {
        return 0;
    }
    const QTextLine last = text.lineAt(count - 1);
    return last.y() + last.height();
}

qreal TextBlock::naturalWidth(qreal width) {
    QTextLayout& text = layout(width);
    qreal widest = 0;
    for (int i = 0; i < text.lineCount(); ++i) {
        widest = std::max(widest, text.lineAt(i).naturalTextWidth());
    }
    return widest;
}

void TextBlock::draw(QPainter& painter, QPointF topLeft, qreal width, const QWidget* widget,
                     qreal opacity) {
    if (opacity <= 0) {
        return;
    }
    QTextLayout& text = layout(width);
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.setPen(colour_.resolve(widget));
    text.draw(&painter, topLeft);
    painter.restore();
}

} // namespace tavrilux::ui
