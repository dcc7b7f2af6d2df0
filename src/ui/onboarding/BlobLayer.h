#pragma once

#include <QPointF>
#include <QWidget>

namespace tavrilux::ui {

class MotionClock;

// Three large, soft colour blobs drifting slowly behind the onboarding's pages, each in a
// straight line from its start to its turning point and back, with periods of 16 s, 22 s and
// 18 s so they drift out of step. Each blob is blurred once and then only moved. The drift
// follows the clock, so it pauses while the window is hidden.
class BlobLayer final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBlobCount = 3;

    explicit BlobLayer(const MotionClock& clock, QWidget* parent = nullptr);

    // Offset of a blob from the centre (x right, y down) `seconds` after the drift started.
    static QPointF offsetAt(int blob, double seconds);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const MotionClock& clock_;
};

} // namespace tavrilux::ui
