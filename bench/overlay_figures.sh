#!/usr/bin/env bash
# The overlay engine's three speed figures on the test desktop (two 1280x800 monitors, openbox,
# picom): focus-to-restack latency over 200 switches (or TAVRILUX_SWITCHES), CPU of 1 s
# cross-fades and at rest, and resident memory after 100 and 1000 switches. Build first
# (./dev.sh build).
# The latency is measured with 8, 50, 8 and 200 managed windows (or TAVRILUX_WINDOWS, e.g. "8 100";
# empty: the three test clients and the panel alone), one engine a run, filler windows on the
# second monitor making up the count; each larger count is compared with the 8 run before it,
# taken on the same desktop moments earlier, so the ratio holds on a noisy machine. Each run is also
# timed from the last change of _NET_ACTIVE_WINDOW (openbox clears it before naming the window).
# Usage: bench/overlay_figures.sh [latency|cpu|memory]...
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/${TAVRILUX_PRESET:-dev}
probe=$build/bench/x11/tavrilux_overlay_probe
engine=$build/src/app/tavrilux
export TAVRILUX_TEST_CLIENT=$build/tests/desktop/tavrilux_test_client
modes=("$@")
((${#modes[@]})) || modes=(latency cpu memory)

for mode in "${modes[@]}"; do
    windows=()
    case $mode in
    latency)
        count=${TAVRILUX_SWITCHES:-200}
        read -r -a windows <<<"${TAVRILUX_WINDOWS-8 50 8 200}"
        ;;
    cpu) count=5 ;;
    memory) count=1000 ;;
    *) echo "unknown figure: $mode" >&2; exit 2 ;;
    esac
    tests/desktop/test-desktop.sh \
        --client "--class alpha,Alpha --color ff8800 --geometry 500x400+100+100" \
        --client "--class beta,Beta --color 3366cc --geometry 500x400+400+300" \
        --client "--class gamma,Gamma --color 33cc66 --geometry 500x400+1500+200" \
        -- "$probe" "$engine" "$mode" "$count" "${windows[@]}"
done
