#pragma once

namespace tavrilux::ui {

// A spring animation by response (seconds per undamped oscillation) and damping fraction
// (1 = critically damped, below 1 overshoots).
struct Spring final {
    double response = 0.55;
    double dampingFraction = 0.825;
};

// Progress of a spring from 0 to 1 at `seconds` after its start, from rest: 0 at the start,
// approaching 1, beyond 1 on the way when the damping fraction is below 1.
double springProgress(const Spring& spring, double seconds);

// When the spring counts as settled: its remaining swing is below 1/1000 of the distance.
double springSettlingTime(const Spring& spring);

} // namespace tavrilux::ui
