#pragma once

#include "core/theme/Rgba.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Painting.h"
#include "ui/foundation/SpringAnimator.h"
#include "ui/quickpanel/SlidingHighlight.h"

#include <QAbstractButton>
#include <QPainter>

#include <string>
#include <string_view>
#include <vector>

namespace tavrilux::ui {

class BouncyButtonStyle;

// One button of a segmented selector row: a symbol over a short name, on a plain rounded tile
// while unselected. Selected, the symbol and name take the mode's accent (with a spring, and the
// symbol bounces) and the tile is left to the row, which paints the one sliding highlight behind
// it. It shows the selection it is given and never selects itself: a click only emits clicked().
class SelectorButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr qreal kCornerRadius = 10;
    static constexpr Spring kSelectionSpring{0.3, 0.7};

    SelectorButton(std::string_view symbol, const QString& title, const Rgba& accent,
                   QWidget* parent = nullptr);

    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    const Rgba& accent() const { return accent_; }
    const std::string& symbol() const { return symbol_; }
    // The button's frame in its parent as drawn now (shrunk while pressed).
    QRectF drawnFrame() const;
    BouncyButtonStyle& bounce() const { return *style_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The row's highlight at `placement`, tinted between the accents of the two buttons.
    static void paintHighlight(QPainter& painter, const SlidingHighlight::Placement& placement,
                               const Rgba& fromAccent, const Rgba& toAccent, Appearance appearance,
                               bool withShadow);

protected:
    void paintEvent(QPaintEvent* event) override;
    // The selection comes from the model, not from the click.
    void nextCheckState() override {}

private:
    std::string symbol_;
    Rgba accent_;
    bool selected_ = false;
    BouncyButtonStyle* style_;
    SpringAnimator selection_; // 0 plain, 1 in the accent
    SpringAnimator bounce_;    // 1 at the start of a bounce, resting at 0
    CachedPath tile_;
    CachedPath border_;
};

// Shows as selected the buttons `isSelected` picks, and only those; the index of the one picked,
// or SlidingHighlight::kNone.
template <typename Button, typename IsSelected>
int selectButtons(const std::vector<Button*>& buttons, IsSelected isSelected) {
    int index = SlidingHighlight::kNone;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const bool selected = isSelected(*buttons[i]);
        buttons[i]->setSelected(selected);
        if (selected) {
            index = static_cast<int>(i);
        }
    }
    return index;
}

// Where a row's highlight is now, given the row's buttons.
template <typename Button>
std::optional<SlidingHighlight::Placement> highlightPlacement(const SlidingHighlight& highlight,
                                                              const std::vector<Button*>& buttons) {
    return highlight.placement([&buttons](int i) { return buttons[i]->drawnFrame(); });
}

// Paints a row's highlight behind its buttons; a highlight fading in or out keeps the one accent
// it has.
template <typename Button>
void paintRowHighlight(QWidget& row, const std::optional<SlidingHighlight::Placement>& placement,
                       const std::vector<Button*>& buttons, bool withShadow) {
    if (!placement) {
        return;
    }
    const int from = placement->from == SlidingHighlight::kNone ? placement->to : placement->from;
    const int to = placement->to == SlidingHighlight::kNone ? placement->from : placement->to;
    QPainter painter(&row);
    SelectorButton::paintHighlight(painter, *placement, buttons[from]->accent(),
                                   buttons[to]->accent(), appearanceOf(&row), withShadow);
}

} // namespace tavrilux::ui
