#pragma once

#include "ui/components/SliderSteps.h"
#include "ui/foundation/Painting.h"

#include <QWidget>

namespace tavrilux::ui {

// A horizontal slider over a range cut into steps: a thin capsule track, filled with the
// platform accent up to a white knob. It shows any value it is given (0.37 sits at 37 %) and
// never writes it back; the user's drags, clicks and arrow keys request whole steps only, each
// step once, through valueRequested. An unusable range (empty, inverted, not finite) disables it.
class StepSlider final : public QWidget {
    Q_OBJECT
public:
    explicit StepSlider(QWidget* parent = nullptr);

    void setSteps(const SliderSteps& steps);
    const SliderSteps& steps() const { return steps_; }
    // Shows `value`; no signal.
    void setValue(double value);
    double value() const { return value_; }

    QSize sizeHint() const override { return QSize(200, 22); }
    QSize minimumSizeHint() const override { return QSize(60, 22); }

signals:
    void valueRequested(double value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRectF trackRect() const;
    void request(double value);
    void dragTo(qreal x);

    SliderSteps steps_;
    double value_ = 0;
    double lastRequested_ = 0;
    bool dragging_ = false;
};

} // namespace tavrilux::ui
