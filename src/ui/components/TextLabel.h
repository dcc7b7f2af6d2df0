#pragma once

#include "ui/foundation/UiColor.h"

#include <QFont>
#include <QStaticText>
#include <QString>
#include <QWidget>

namespace tavrilux::ui {

// A line (or, with word wrap, a paragraph) of text in one of the design's fonts and colours,
// resolved for the appearance each time it paints. A single line that does not fit is elided,
// and then gives way before its neighbours in a layout.
class TextLabel : public QWidget {
    Q_OBJECT
public:
    TextLabel(QString text, const QFont& font, const UiColor& colour, QWidget* parent = nullptr);

    const QString& text() const { return text_; }
    void setText(const QString& text);
    // What is drawn: the text, upper-cased when asked (by the widget's locale).
    QString displayedText() const;

    const QFont& textFont() const { return font_; }
    void setTextFont(const QFont& font);
    void setColor(const UiColor& colour);
    const UiColor& color() const { return colour_; }
    // Opacity of the whole text on top of its colour's.
    void setTextOpacity(qreal opacity);

    // Qt::ElideNone keeps the full width; any other mode lets the label shrink.
    void setElideMode(Qt::TextElideMode mode);
    void setWordWrap(bool wrap);
    void setAlignment(Qt::Alignment alignment);
    void setUpperCase(bool upper);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return wrap_; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void textChanged();
    // The single line as drawn, laid out once per text, font and width.
    const QStaticText& line(qreal width);

    QString text_;
    QFont font_;
    UiColor colour_;
    qreal opacity_ = 1.0;
    Qt::TextElideMode elide_ = Qt::ElideRight;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
    bool wrap_ = false;
    bool upper_ = false;
    QStaticText line_;
    qreal lineWidth_ = -1;
};

} // namespace tavrilux::ui
