#pragma once

#include "ui/foundation/Painting.h"

#include <QAbstractButton>

namespace tavrilux::ui {

// A check box with its title, the whole row one click target: an 18-point box with corners of
// 5 (the platform accent with a white check mark when on; the theme's surface with its border
// when off), 9 points before a 13-point title. It shows the state it is given: a click (or Space)
// emits toggleRequested with the negation, and the owner calls setOn() with what came of it.
class CheckRow final : public QAbstractButton {
    Q_OBJECT
public:
    explicit CheckRow(const QString& title, QWidget* parent = nullptr);

    bool isOn() const { return on_; }
    void setOn(bool on);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

Q_SIGNALS:
    void toggleRequested(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool on_ = false;
    CachedPath box_;
    CachedPath border_;
};

} // namespace tavrilux::ui
