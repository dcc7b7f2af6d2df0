#pragma once

#include "ui/foundation/Painting.h"

#include <QPushButton>

namespace tavrilux::ui {

// What a button does, as far as its look is concerned.
enum class ButtonRole { none, cancel, destructive };

// A button in the secondary style: 12-point medium text (the danger colour for a destructive
// role, else the primary text colour) on a capsule of the theme's surface with a 1-point inner
// border, inset 14 by 7 points. Pressed, the whole button drops to 0.6 opacity.
class SecondaryButtonStyle final : public QPushButton {
    Q_OBJECT
public:
    explicit SecondaryButtonStyle(const QString& text, ButtonRole role = ButtonRole::none,
                                  QWidget* parent = nullptr);

    ButtonRole role() const { return role_; }
    void setRole(ButtonRole role);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ButtonRole role_;
    CachedPath capsule_;
    CachedPath border_;
};

} // namespace tavrilux::ui
