#pragma once

#include "ui/foundation/UiColor.h"

#include <QFont>
#include <QString>
#include <QTextLayout>

#include <memory>

class QPainter;
class QWidget;

namespace tavrilux::ui {

// A paragraph the onboarding paints itself: wrapped to a width, each line aligned (centred unless
// told otherwise), at most a number of lines (the last one elided). Laid out once per text and
// width, so a page repainting every frame lays out nothing.
class TextBlock final {
public:
    TextBlock(QString text, const QFont& font, const UiColor& colour, int maxLines = 0,
              Qt::Alignment alignment = Qt::AlignHCenter);

    const QString& text() const { return text_; }
    void setText(const QString& text);

    // The height of the paragraph at `width`.
    qreal height(qreal width);
    // The widest line at `width`.
    qreal naturalWidth(qreal width);
    // Paints it with its top-left at `topLeft`, aligned in `width`.
    void draw(QPainter& painter, QPointF topLeft, qreal width, const QWidget* widget,
              qreal opacity = 1.0);

private:
    QTextLayout& layout(qreal width);

    QString text_;
    QFont font_;
    UiColor colour_;
    int maxLines_;
    Qt::Alignment alignment_;
    std::unique_ptr<QTextLayout> layout_;
    qreal width_ = -1;
};

} // namespace tavrilux::ui
