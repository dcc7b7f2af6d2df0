#pragma once

#include "ui/foundation/Painting.h"

#include <QPushButton>

namespace tavrilux::ui {

// The platform's bordered push button, tinted with the platform accent: accent text on a light
// wash of the accent in a rounded rectangle. Disabled, it is dimmed and takes no clicks.
class BorderedButton final : public QPushButton {
    Q_OBJECT
public:
    explicit BorderedButton(const QString& text, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CachedPath shape_;
};

} // namespace tavrilux::ui
