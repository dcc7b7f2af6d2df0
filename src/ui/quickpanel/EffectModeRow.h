#pragma once

#include "ui/foundation/ModelObserver.h"
#include "ui/foundation/UiContext.h"
#include "ui/quickpanel/SlidingHighlight.h"

#include <QWidget>

#include <optional>
#include <vector>

namespace tavrilux::ui {

class Divider;
class EffectModeButton;
class PercentSliderRow;

// The effect shapes (ambient, aura, full screen) side by side, and under them the one slider
// that belongs to the chosen shape: the fade start for ambient, the aura radius for aura, none
// for full screen. A click on a shape slides the highlight over; a shape that arrives with a
// preset shows at once. The slider swaps in place without motion. The fade start keeps the
// active preset; the aura radius, a look setting, turns it custom.
class EffectModeRow final : public QWidget {
    Q_OBJECT
public:
    static constexpr Spring kSpring{0.38, 0.72};

    explicit EffectModeRow(const UiContext& context, QWidget* parent = nullptr);

    const std::vector<EffectModeButton*>& buttons() const { return buttons_; }
    PercentSliderRow* fadeStartRow() const { return fadeStart_; }
    PercentSliderRow* auraRow() const { return aura_; }
    // The divider and the slider under the buttons; hidden for full screen.
    QWidget* sliderGroup() const { return group_; }
    std::optional<QRectF> highlightRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    DimmingSettings& settings_;
    std::vector<EffectModeButton*> buttons_;
    QWidget* group_;
    PercentSliderRow* fadeStart_;
    PercentSliderRow* aura_;
    SlidingHighlight highlight_;
    bool clicked_ = false; // the next change comes from our own button
    ModelObserver observer_;
};

} // namespace tavrilux::ui
