#!/usr/bin/env bash
# The tray application's speed figures on the test desktop (two 1280x800 monitors, openbox,
# picom, trayer): hot-key press to the overlays gone, split into the shell's part and the
# engine's own switch-off (30 presses); CPU with dimming on and the panel closed; tray click to
# the panel's window and CPU while it is open. Build first (./dev.sh build).
# Usage: bench/shell_figures.sh [hotkey|cpu|panel]...
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/${TAVRILUX_PRESET:-dev}
export TAVRILUX_TEST_CLIENT=$build/tests/desktop/tavrilux_test_client
modes=("$@")
((${#modes[@]})) || modes=(hotkey cpu panel)
for mode in "${modes[@]}"; do
    case $mode in
    hotkey) count=30 ;;
    cpu) count=1 ;;
    panel) count=20 ;;
    *) echo "unknown figure: $mode" >&2; exit 2 ;;
    esac
    tests/desktop/test-desktop.sh \
        --client "--class alpha,Alpha --color ff8800 --geometry 500x400+100+100" \
        -- "$build/bench/x11/tavrilux_shell_probe" "$build/src/app/tavrilux" "$mode" "$count"
done
