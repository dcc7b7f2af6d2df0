#pragma once

#include <QString>

namespace tavrilux::ui {

// A slider's range cut into equal steps.
struct SliderSteps final {
    double lower = 0;
    double upper = 1;
    int count = 10;

    // Finite bounds with upper above lower and at least one step; anything else leaves the
    // slider disabled.
    bool isUsable() const;
    // (upper - lower) / count.
    double step() const;
    // Where `value` sits, 0 to 1; values outside are pinned to the ends, a value that is not a
    // number sits at the start.
    double fraction(double value) const;
    // The whole step nearest to `fraction` (0 to 1) of the way; the ends are exactly the bounds.
    double valueAt(double fraction) const;
    // The whole step `delta` steps away from the step nearest to `value`, kept in the range.
    double stepFrom(double value, int delta) const;
};

// The read-out of a fraction as a whole percentage in the user's language, halves away from
// zero: 0.37 gives "37%" in English, 0.995 "100%". A value that is not a finite number reads
// "—%".
QString percentText(double fraction);

} // namespace tavrilux::ui
