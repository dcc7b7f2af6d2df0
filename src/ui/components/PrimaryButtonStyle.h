#pragma once

#include "ui/foundation/Painting.h"

#include <QPushButton>

#include <string>
#include <string_view>

namespace tavrilux::ui {

// A button in the primary style: 12-point semibold white text (optionally followed by a symbol,
// 4 points apart) on a capsule of the platform accent, inset 14 by 7 points. Pressed, only the
// capsule drops to 0.7 opacity; the label stays opaque.
class PrimaryButtonStyle final : public QPushButton {
    Q_OBJECT
public:
    explicit PrimaryButtonStyle(const QString& text, QWidget* parent = nullptr);

    // A symbol after the text, e.g. symbolName("arrow.right"); empty for none.
    void setTrailingSymbol(std::string_view name);
    // The whole button drawn at an opacity (fading in); 1 by default.
    void setOpacity(qreal opacity);
    qreal opacity() const { return opacity_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string trailingSymbol_;
    qreal opacity_ = 1.0;
    CachedPath capsule_;
};

} // namespace tavrilux::ui
