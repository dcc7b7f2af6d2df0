#pragma once

#include "ui/foundation/Spring.h"
#include "ui/foundation/SpringAnimator.h"

#include <QObject>
#include <QRectF>

#include <functional>
#include <optional>

namespace tavrilux::ui {

// The one tinted highlight of a row of buttons, painted by the row behind its selected button.
// When the selection moves along a spring, the highlight travels from the old button's frame to
// the new one's; a selection that appears or goes away fades instead; without a spring it is at
// its place at once. Frames are asked for at paint time, so a resized row needs nothing.
class SlidingHighlight final : public QObject {
    Q_OBJECT
public:
    static constexpr int kNone = -1;

    struct Placement {
        QRectF rect;
        int from = kNone;
        int to = kNone;
        // 0 at the old selection, 1 at the new one, clamped.
        qreal progress = 1;
        qreal opacity = 1;
    };

    explicit SlidingHighlight(QObject* parent = nullptr);

    int selected() const { return to_; }
    // Selects button `index` (kNone for none); nothing happens when it is already selected.
    void select(int index, std::optional<Spring> spring);

    // Where to paint, given each button's frame; none when nothing is selected or fading out.
    std::optional<Placement> placement(const std::function<QRectF(int)>& frameOf) const;

signals:
    void changed();

private:
    int from_ = kNone;
    int to_ = kNone;
    SpringAnimator progress_;
};

} // namespace tavrilux::ui
