#pragma once

#include "core/settings/Enums.h"
#include "ui/foundation/SpringAnimator.h"
#include "ui/foundation/UiContext.h"
#include "ui/onboarding/DemoTimeline.h"
#include "ui/onboarding/MotionClock.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace tavrilux::ui {

class BlobLayer;
class ProgressDots;

// The first-launch introduction: four pages (welcome, how it works, choose a preset, ready) over
// drifting colour blobs, with progress dots at the bottom. The flow only moves forward; each
// page slides in from the right as the last one slides out to the left. The ready page's button
// hands the chosen preset to `onComplete`; until then nothing is saved unless a preset card is
// tapped, which applies that preset at once. The view never hides its window.
//
// Every endless motion (the blobs, the glow) runs only while the view shows, and hiding it
// brings every running animation to its end, so a hidden onboarding costs nothing.
class OnboardingView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPageCount = 4;

    OnboardingView(
        const UiContext& context, std::function<void(FocusMode)> onComplete,
        QWidget* parent = nullptr,
        DemoTimeline::Clock clock = [] { return std::chrono::system_clock::now(); });

    int step() const { return step_; }
    FocusMode selectedMode() const { return selectedMode_; }
    // The page of the current step.
    QWidget* page() const { return page_; }
    ProgressDots* progressDots() const { return dots_; }
    const MotionClock& motionClock() const { return clock_; }

    // Brings every running animation of the view to its end at once.
    void finishMotion();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void advance();
    QWidget* makePage(int step);
    // Places the leaving and entering pages `progress` of the way through the slide.
    void slide(qreal progress);

    DimmingSettings& settings_;
    std::function<void(FocusMode)> onComplete_;
    DemoTimeline::Clock demoClock_;
    int step_ = 0;
    FocusMode selectedMode_ = FocusMode::flow;
    MotionClock clock_;
    BlobLayer* blobs_;
    QPointer<QWidget> page_;
    QPointer<QWidget> leaving_;
    SpringAnimator slide_;
    ProgressDots* dots_;
};

} // namespace tavrilux::ui
