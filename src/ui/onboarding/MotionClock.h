#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace tavrilux::ui {

// The clock of the onboarding's endless motion (the drifting blobs, the breathing glow): seconds
// that pass only while it runs, and one tick per frame for everything that moves with it, so the
// window repaints once per frame however many things move. The motion is slow and soft, so a
// modest frame rate looks as smooth as a fast one. Stopped, it fires nothing. Main thread only.
class MotionClock final : public QObject {
    Q_OBJECT
public:
    static constexpr int kFrameInterval = 66; // ms

    explicit MotionClock(QObject* parent = nullptr);

    void setRunning(bool running);
    bool isRunning() const { return timer_.isActive(); }
    // Running time so far.
    double seconds() const;

Q_SIGNALS:
    void ticked();

private:
    QTimer timer_;
    QElapsedTimer sinceStart_;
    double banked_ = 0;
};

} // namespace tavrilux::ui
