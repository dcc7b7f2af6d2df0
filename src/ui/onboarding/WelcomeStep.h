#pragma once

#include "ui/onboarding/EntranceClock.h"
#include "ui/onboarding/TextBlock.h"

#include <QWidget>

#include <functional>

namespace tavrilux::ui {

class MotionClock;
class PrimaryButtonStyle;

// The first page: the brand mark with a softly breathing glow, a headline and a subtitle that
// rise and fade in one after the other, and the button that starts the tour.
class WelcomeStep final : public QWidget {
    Q_OBJECT
public:
    WelcomeStep(const MotionClock& clock, std::function<void()> onNext, QWidget* parent = nullptr);

    PrimaryButtonStyle* button() const { return button_; }
    bool showsContent() const { return entrance_.hasStarted(); }
    // The glow's radius now: 20 before the entrance, then breathing between 20 and 35.
    qreal glowRadius() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void layOut();

    const MotionClock& clock_;
    EntranceClock entrance_;
    double glowStart_ = 0;
    TextBlock headline_;
    TextBlock subtitle_;
    PrimaryButtonStyle* button_;
    QRectF mark_;
    qreal textTop_ = 0;
};

} // namespace tavrilux::ui
