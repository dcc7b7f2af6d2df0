#pragma once

#include "ui/foundation/Presence.h"

#include <QTimer>
#include <QWidget>

#include <optional>

class QAbstractScrollArea;

namespace tavrilux::ui {

// Takes the place of a scroll area's vertical scroll bar: a thin thumb laid over the area's
// trailing edge that shows only while the content scrolls (by wheel, keyboard, a focus moving
// into view) or while the pointer is over it, and fades out a moment later. The thumb can be
// dragged; the area keeps scrolling by wheel and keyboard as before. Nothing shows while the
// content fits.
//
//     new ScrollIndicator(scrollArea); // owned by the area
class ScrollIndicator final : public QWidget {
    Q_OBJECT
public:
    // The strip along the edge that takes the pointer, and the thumb drawn inside it.
    static constexpr int kStripWidth = 10;
    static constexpr qreal kThumbWidth = 5;
    static constexpr int kMinimumThumb = 32;
    // How long the thumb stays after the content last moved.
    static constexpr int kShowFor = 900; // ms

    explicit ScrollIndicator(QAbstractScrollArea* area, int endInset = 2);

    // The thumb is drawn (or fading out).
    bool isShowing() const { return thumb_.isPresent(); }
    // The thumb's rectangle in this widget.
    QRectF thumbRect() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void place();
    void flash();

    QAbstractScrollArea* area_;
    int endInset_;
    Presence thumb_;
    QTimer hide_;
    bool hovered_ = false;
    // While dragging: where the press was and the value then.
    std::optional<qreal> dragFrom_;
    int dragValue_ = 0;
};

} // namespace tavrilux::ui
