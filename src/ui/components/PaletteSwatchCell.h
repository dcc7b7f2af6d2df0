#pragma once

#include "core/settings/OverlayColor.h"

#include <QAbstractButton>
#include <QPainterPath>

namespace tavrilux::ui {

// One cell of the colour grid: a rectangle of the swatch's colour, cut by the rounded outline of
// its family's pill, with a white 2-point inner border when it is the selection. A colour close
// to the card's own (white on the light card) gets a hairline edge, so the cell and its
// selection can be seen.
class PaletteSwatchCell final : public QAbstractButton {
    Q_OBJECT
public:
    // `accessibleName` is the family and shade, e.g. "Emerald 500" in English.
    PaletteSwatchCell(const OverlayColor& colour, const QString& accessibleName,
                      QWidget* parent = nullptr);

    const OverlayColor& colour() const { return colour_; }
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    // The family pill's rectangle in this cell's coordinates; the cell draws only inside it.
    void setFamilyRect(const QRectF& family);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuildPaths();

    OverlayColor colour_;
    bool selected_ = false;
    QRectF family_;
    struct Paths {
        QPainterPath fill;
        QPainterPath ring;
        // One point wide, along the fill's outline and along the ring's inner edge.
        QPainterPath edge;
        QPainterPath ringEdge;
    };
    Paths paths_;
};

} // namespace tavrilux::ui
