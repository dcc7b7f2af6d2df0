#pragma once

#include "ui/foundation/Appearance.h"
#include "ui/foundation/Painting.h"

#include <QWidget>

class QVBoxLayout;

namespace tavrilux::ui {

// The quick panel's card: a frosted rounded rectangle (white in the light appearance, the
// theme's surface in the dark one) with a fine inner border, holding its rows in a column
// without spacing or inset (each row insets itself).
//
//     auto* card = new GlassCard;
//     card->addWidget(new PercentSliderRow(L("blur")));
//     card->addDivider();
class GlassCard final : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kCornerRadius = 8;

    explicit GlassCard(QWidget* parent = nullptr);

    QVBoxLayout* contentLayout() const { return layout_; }
    void addWidget(QWidget* widget);
    // A divider inset 14 points on its leading side, as between the rows of a card.
    void addDivider();

    // The card's look, for screens that draw it behind something that is not a widget.
    static void paintBackground(QPainter& painter, const QPainterPath& shape,
                                const QPainterPath& border, Appearance appearance);
    // The colour the card shows on the panel's frosted material.
    static QColor apparentColour(Appearance appearance);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static QColor fill(Appearance appearance);

    QVBoxLayout* layout_;
};

} // namespace tavrilux::ui
