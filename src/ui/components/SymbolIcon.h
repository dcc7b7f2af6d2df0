#pragma once

#include "ui/foundation/Fonts.h"
#include "ui/foundation/UiColor.h"

#include <QWidget>

#include <string>
#include <string_view>

namespace tavrilux::ui {

// One symbol, centred in a box of its own, in a colour and at a text size, optionally rotated
// about its centre.
class SymbolIcon : public QWidget {
    Q_OBJECT
public:
    SymbolIcon(std::string_view name, qreal size, FontWeight weight, const UiColor& colour,
               QWidget* parent = nullptr);

    const std::string& name() const { return name_; }
    void setName(std::string_view name);
    void setColor(const UiColor& colour);
    // Degrees, clockwise.
    void setRotation(qreal degrees);
    qreal rotation() const { return rotation_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string name_;
    qreal size_;
    FontWeight weight_;
    UiColor colour_;
    qreal rotation_ = 0;
};

} // namespace tavrilux::ui
