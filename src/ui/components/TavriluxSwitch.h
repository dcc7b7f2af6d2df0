#pragma once

#include "ui/foundation/Painting.h"
#include "ui/foundation/SpringAnimator.h"

#include <QAbstractButton>

namespace tavrilux::ui {

// The application's on/off switch: a capsule track (the platform accent when on, the theme's
// surface border when off) with a white knob that springs to the trailing side when on.
// It shows the state it is given and never flips itself: a click (or Space) emits
// toggleRequested with the negation, and the owner writes the model, whose refresh calls
// setOn(). Accessible as a button named by "accessibility_enabled" with the value
// "accessibility_on" or "accessibility_off".
class TavriluxSwitch final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr Spring kSpring{0.16, 0.85};

    explicit TavriluxSwitch(bool compact = false, QWidget* parent = nullptr);

    bool isOn() const { return on_; }
    // Slides the knob to the new state (no signal).
    void setOn(bool on);
    bool isCompact() const { return compact_; }

    QSize trackSize() const;
    qreal knobDiameter() const { return compact_ ? 18 : 20; }
    QSize sizeHint() const override { return trackSize(); }

signals:
    void toggleRequested(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool on_ = false;
    bool compact_;
    SpringAnimator position_; // 0 off, 1 on
    CachedPath track_;
};

} // namespace tavrilux::ui
