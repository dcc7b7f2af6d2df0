#pragma once

#include "ui/foundation/Painting.h"

#include <QAbstractButton>

#include <string>
#include <string_view>

namespace tavrilux::ui {

class BouncyButtonStyle;

// One of the two multi-screen choices: a symbol and a one-line title on a rounded tile, in the
// accent while selected. It shows the selection it is given; a click only emits clicked().
class MultiScreenModeButton final : public QAbstractButton {
    Q_OBJECT
public:
    MultiScreenModeButton(std::string_view icon, const QString& title, QWidget* parent = nullptr);

    bool isSelected() const { return selected_; }
    void setSelected(bool selected);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void nextCheckState() override {}

private:
    std::string icon_;
    bool selected_ = false;
    BouncyButtonStyle* style_;
    CachedPath tile_;
    CachedPath border_;
};

} // namespace tavrilux::ui
