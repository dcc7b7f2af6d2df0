#pragma once

#include <QObject>

class QVariantAnimation;

namespace tavrilux::ui {

// The time since a page began its entrance, from 0 to the entrance's length, on the application's
// animation clock; each element of the page derives its own delayed, eased motion from it. With
// animations off (tests, snapshots) an entrance is over as soon as it starts.
class EntranceClock final : public QObject {
    Q_OBJECT
public:
    explicit EntranceClock(double lengthSeconds, QObject* parent = nullptr);

    bool hasStarted() const { return started_; }
    double seconds() const { return seconds_; }
    // Starts once; later calls do nothing.
    void start();

    // `duration` seconds of a curve starting `delay` seconds into the entrance: 0 before, 1 after.
    double progress(double delay, double duration) const;
    // The same along the ease-out curve.
    double easeOut(double delay, double duration) const;

Q_SIGNALS:
    void changed();

private:
    QVariantAnimation* animation_;
    double length_;
    double seconds_ = 0;
    bool started_ = false;
};

} // namespace tavrilux::ui
