#!/usr/bin/env bash
# The first-launch onboarding's cost on the test desktop (two 1280x800 monitors, openbox, picom,
# trayer): the application's CPU, as a share of one core, while each of the four pages shows
# untouched (the blobs drifting, the demonstration switching windows), and once the flow is done
# and the window hidden. Every figure comes from a fresh configuration, so the launch is a first
# launch. Build first (./dev.sh build).
# Usage: bench/onboarding_figures.sh [SECONDS per figure, default 20]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/${TAVRILUX_PRESET:-dev}

if [ "${1:-}" != --on-desktop ]; then
    export TAVRILUX_TEST_CLIENT=$build/tests/desktop/tavrilux_test_client
    exec tests/desktop/test-desktop.sh \
        --client "--class alpha,Alpha --color ff8800 --geometry 500x400+100+100" \
        -- "$0" --on-desktop "${1:-20}"
fi
seconds=$2

home=$(mktemp -d)
# In English, whatever the machine's language: the window is found by its title.
LANGUAGE=en XDG_CONFIG_HOME=$home/config XDG_STATE_HOME=$home/state "$build/src/app/tavrilux" \
    >"$home/out" 2>"$home/err" &
app=$!
trap 'kill "$app" 2>/dev/null; wait "$app" 2>/dev/null; rm -rf "$home"' EXIT

window=
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^Welcome to Tavrilux$' 2>/dev/null | head -1) &&
        [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "no onboarding window" >&2; cat "$home/err" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$window")"

ticks() { awk '{ print $14 + $15 }' "/proc/$app/stat"; }
# Share of one core over the next $seconds.
cpu() {
    local before after
    before=$(ticks)
    sleep "$seconds"
    after=$(ticks)
    echo "scale=1; ($after - $before) * 100 / $(getconf CLK_TCK) / $seconds" | bc
}
# Presses the page's button (centred, 40 points above the bottom) and lets the next page settle.
press() {
    xdotool mousemove $((X + 340)) $((Y + 445)) click 1
    sleep 2
}

sleep 2
echo "onboarding shown, welcome page:        $(cpu)% of a core over ${seconds} s"
press
echo "onboarding shown, how it works:        $(cpu)%"
press
echo "onboarding shown, choose a preset:     $(cpu)%"
press
echo "onboarding shown, ready:               $(cpu)%"
press
if xdotool search --onlyvisible --name '^Welcome to Tavrilux$' >/dev/null 2>&1; then
    echo "the onboarding did not complete" >&2
    exit 1
fi
echo "onboarding done, window hidden:        $(cpu)% (the engine at rest, the quick panel open)"
