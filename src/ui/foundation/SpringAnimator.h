#pragma once

#include "ui/foundation/Spring.h"

#include <QObject>

class QVariantAnimation;

namespace tavrilux::ui {

// A number that moves to its targets along springs, on the application's animation clock. A new
// target starts from wherever the number is. With animations off (tests, snapshots) every
// target is reached at once. Main thread only.
class SpringAnimator final : public QObject {
    Q_OBJECT
public:
    explicit SpringAnimator(qreal initial = 0, QObject* parent = nullptr);

    qreal value() const { return value_; }
    qreal target() const { return to_; }
    bool isRunning() const;

    void animateTo(qreal target, const Spring& spring);
    // Stops any motion and sits at `value`.
    void jumpTo(qreal value);

    // Process-wide switch; off, animateTo() behaves like jumpTo().
    static void setAnimationsEnabled(bool enabled);
    static bool animationsEnabled();

Q_SIGNALS:
    void valueChanged(qreal value);
    // The number came to rest at its target: its motion ended, or it jumped there.
    void settled();

private:
    void step(qreal progress);

    QVariantAnimation* animation_;
    Spring spring_;
    qreal from_ = 0;
    qreal to_ = 0;
    qreal value_ = 0;
    double duration_ = 0;
};

} // namespace tavrilux::ui
