#pragma once

#include <QWidget>

namespace tavrilux::ui {

class StepSlider;
class TextLabel;

// A title with a percentage read-out over a slider from 0 to 1 in tenths. The read-out shows
// the value given (0.37 reads 37%); the slider requests only whole tenths, each as the user
// reaches it, and nothing is written back when a value is shown.
class PercentSliderRow final : public QWidget {
    Q_OBJECT
public:
    explicit PercentSliderRow(const QString& title, QWidget* parent = nullptr);

    void setValue(double value);
    double value() const;
    QString readout() const;
    StepSlider* slider() const { return slider_; }

signals:
    void valueRequested(double value);

private:
    TextLabel* readout_;
    StepSlider* slider_;
};

} // namespace tavrilux::ui
