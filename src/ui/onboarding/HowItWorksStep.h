#pragma once

#include "ui/onboarding/DemoTimeline.h"
#include "ui/onboarding/TextBlock.h"

#include <QTimer>
#include <QWidget>

#include <functional>

namespace tavrilux::ui {

class MockWindowsDemo;
class PrimaryButtonStyle;

// The second page: three miniature windows of which the bright one changes every 2 s, over two
// lines on what the application does. The demonstration's timer runs only while the page shows.
class HowItWorksStep final : public QWidget {
    Q_OBJECT
public:
    HowItWorksStep(std::function<void()> onNext, DemoTimeline::Clock clock,
                   QWidget* parent = nullptr);

    PrimaryButtonStyle* button() const { return button_; }
    MockWindowsDemo* demo() const { return demo_; }
    const QTimer& tickTimer() const { return tick_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Shows the tick in effect now and waits for the next one.
    void tick();

    DemoTimeline timeline_;
    QTimer tick_;
    MockWindowsDemo* demo_;
    TextBlock description_;
    TextBlock sentence_;
    PrimaryButtonStyle* button_;
    qreal textTop_ = 0;
};

} // namespace tavrilux::ui
