#pragma once

#include "core/settings/OverlayColor.h"
#include "ui/foundation/Presence.h"
#include "ui/foundation/SpringAnimator.h"

#include <QAbstractButton>

namespace tavrilux::ui {

// A round swatch of any colour, 22 points across. Selected, it wears a white ring (which
// scales in from 0.72 while fading in), grows to 1.1 and casts a soft shadow, all springing
// (response 0.3, damping 0.7); unselected, a faint white hairline. The widget leaves room
// around the circle for the growth and the shadow.
class CustomSwatch final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr qreal kDiameter = 22;
    static constexpr Spring kStateSpring{0.3, 0.7};

    explicit CustomSwatch(QWidget* parent = nullptr);

    const OverlayColor& colour() const { return colour_; }
    void setColour(const OverlayColor& colour);
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);

    // Fades the swatch in or out of its place; once out, it is hidden and takes no clicks.
    void setPresent(bool present, const Spring& spring);
    bool isPresent() const { return presence_.isPresent(); }

    QSize sizeHint() const override { return QSize(28, 28); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    OverlayColor colour_;
    bool selected_ = false;
    Presence presence_;
    Presence ring_;
    SpringAnimator emphasis_; // 0 unselected, 1 selected
};

} // namespace tavrilux::ui
