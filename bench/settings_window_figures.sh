#!/usr/bin/env bash
# Opening the settings window on the test desktop (two 1280x800 monitors, openbox, picom,
# trayer): the first opening (built and painted) and later openings (shown again), medians.
# Build first (./dev.sh build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/${TAVRILUX_PRESET:-dev}
QT_QPA_PLATFORM=xcb tests/desktop/test-desktop.sh -- "$build/bench/ui/bench_settings_window" "$@"
