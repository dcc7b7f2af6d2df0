#pragma once

#include <QWidget>

namespace tavrilux::ui {

class StepSlider;

// A title, a subtitle, a slider over [lower, upper] in ten equal steps, and captions under its
// two ends. The slider shows the value given and requests only whole steps; a range whose upper
// bound does not exceed its lower one leaves the slider disabled.
class SliderRow final : public QWidget {
    Q_OBJECT
public:
    SliderRow(const QString& title, const QString& subtitle, double lower, double upper,
              const QString& minLabel, const QString& maxLabel, QWidget* parent = nullptr);

    void setValue(double value);
    double value() const;
    StepSlider* slider() const { return slider_; }

signals:
    void valueRequested(double value);

private:
    StepSlider* slider_;
};

} // namespace tavrilux::ui
