#!/usr/bin/env bash
# The test desktop: Xvfb (two RandR monitors side by side) + openbox + picom + trayer, and
# optional test clients. Stops everything it started, by process id, however it ends.
#
# Usage: test-desktop.sh [--bare] [--wm NAME] [--client "ARGS"]... [-- COMMAND...]
#   --bare           only the X server and its monitors (no window manager, compositor, tray)
#   --wm NAME        the window manager: openbox (the default), fluxbox or i3, each with picom,
#                    or kwin or xfwm4 (each compositing itself, on a D-Bus session bus of its own)
#   --client "ARGS"  start tavrilux_test_client with ARGS ($TAVRILUX_TEST_CLIENT names it)
#   COMMAND          run with DISPLAY set, then stop; without one, print "DISPLAY=:N" and
#                    "XVFB_PID=N" and serve until standard input closes or a signal arrives.
set -uo pipefail

bare=0
wm=openbox
clients=()
while (($#)); do
    case "$1" in
    --bare) bare=1 ;;
    --wm) wm=$2; shift ;;
    --client) clients+=("$2"); shift ;;
    --) shift; break ;;
    *) break ;;
    esac
    shift
done

width=1280
height=800
pids=()
runtime=$(mktemp -d "${TMPDIR:-/tmp}/tavrilux-desktop.XXXXXX")

cleanup() {
    local i pid
    # The server last: some window managers (fluxbox) hang when it goes away under them.
    for ((i = ${#pids[@]} - 1; i >= 1; i--)); do
        kill "${pids[i]}" 2>/dev/null
    done
    for pid in "${pids[@]:1}"; do
        for ((i = 0; i < 100; i++)); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.02
        done
        kill -9 "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    if ((${#pids[@]})); then
        kill "${pids[0]}" 2>/dev/null
        wait "${pids[0]}" 2>/dev/null
    fi
    [ -n "${TAVRILUX_KEEP_DESKTOP_LOGS:-}" ] || rm -rf "$runtime"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# Settings, caches and a session bus of this desktop alone, so desktops run side by side.
private_session() {
    mkdir -p -m 0700 "$runtime/xdg"
    export XDG_CONFIG_HOME=$runtime/config XDG_CACHE_HOME=$runtime/cache \
        XDG_DATA_HOME=$runtime/data XDG_RUNTIME_DIR=$runtime/xdg
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$runtime/bus
    dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS" \
        >"$runtime/dbus.log" 2>&1 &
    pids+=($!)
    wait_for test -S "$runtime/bus"
}

# Someone owns the compositing manager selection of screen 0.
compositor_selection_owned() {
    python3 -c '
import ctypes
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XInternAtom.restype = ctypes.c_ulong
x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XGetSelectionOwner.restype = ctypes.c_ulong
d = x.XOpenDisplay(None)
raise SystemExit(0 if d and x.XGetSelectionOwner(d, x.XInternAtom(d, b"_NET_WM_CM_S0", 0)) else 1)'
}

wait_for() { # tries every 20 ms for 10 s
    local i
    for ((i = 0; i < 500; i++)); do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.02
    done
    echo "test-desktop: timed out waiting for: $*" >&2
    return 1
}

# Xvfb picks a free display and writes its number to the pipe when it is ready. Servers starting
# at the same moment can pick the same number, so starts take turns (the lock is ours alone).
mkfifo "$runtime/displayfd"
exec {startlock}>"${TMPDIR:-/tmp}/tavrilux-xvfb-start.lock"
flock "$startlock"
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 $((2 * width))x${height}x24 \
    3>"$runtime/displayfd" {startlock}>&- >"$runtime/xvfb.log" 2>&1 &
pids+=($!)
server=$!
read -r -t 10 number <"$runtime/displayfd" || { echo "test-desktop: Xvfb did not start" >&2; cat "$runtime/xvfb.log" >&2; exit 1; }
flock -u "$startlock"
exec {startlock}>&-
export DISPLAY=":$number"
unset WAYLAND_DISPLAY

xrandr --setmonitor "*tavrilux-left" "$width/338x$height/211+0+0" screen >/dev/null
xrandr --setmonitor tavrilux-right "$width/338x$height/211+$width+0" none >/dev/null
xrandr --output screen --primary

if ((!bare)); then
    # The panel first: the window manager takes over windows that exist when it starts, and
    # once it lists the panel it is past its start-up and handles every new window.
    trayer --edge bottom --align right --widthtype request --height 24 --monitor primary \
        >"$runtime/trayer.log" 2>&1 &
    pids+=($!)
    wait_for sh -c 'xwininfo -root -children | grep -q "\"panel\""' || exit 1
    # Window managers that list the panel are past their start-up once they do; i3 keeps docks
    # off its lists.
    ready='xprop -root _NET_CLIENT_LIST_STACKING | grep -q "# 0x"'
    case $wm in
    openbox) openbox --sm-disable >"$runtime/wm.log" 2>&1 & ;;
    fluxbox)
        # A home of its own: fluxbox writes its configuration there on first start.
        HOME=$runtime fluxbox >"$runtime/wm.log" 2>&1 &
        ;;
    i3)
        printf '# i3 config file (v4)\nfont pango:monospace 8\n' >"$runtime/i3.config"
        i3 -c "$runtime/i3.config" >"$runtime/wm.log" 2>&1 &
        ready='xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "# 0x"'
        ;;
    kwin)
        private_session || exit 1
        kwin_x11 >"$runtime/wm.log" 2>&1 &
        ;;
    xfwm4)
        # xfwm4 quits without its settings daemon, xfconfd, on the session bus. Started here
        # rather than by the bus, so that it stops with the desktop; with no settings stored it
        # gives xfwm4 its defaults. No accessibility bus either.
        private_session || exit 1
        export NO_AT_BRIDGE=1
        "$(sed -n 's/^Exec=//p' /usr/share/dbus-1/services/org.xfce.Xfconf.service)" \
            >"$runtime/xfconfd.log" 2>&1 &
        pids+=($!)
        wait_for sh -c 'dbus-send --session --print-reply --dest=org.freedesktop.DBus \
            /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner string:org.xfce.Xfconf |
            grep -q "boolean true"' || exit 1
        # Painting with XRender: no vertical sync to wait for on a virtual screen.
        xfwm4 --compositor=on --vblank=off >"$runtime/wm.log" 2>&1 &
        # Its stacking list waits for the first restack; the client list has the panel at once.
        ready='xprop -root _NET_CLIENT_LIST | grep -q "# 0x"'
        ;;
    *) echo "test-desktop: unknown window manager: $wm" >&2; exit 2 ;;
    esac
    pids+=($!)
    wait_for sh -c "$ready" || {
        tail -n 5 "$runtime"/*.log >&2
        xwininfo -root -children >&2
        exit 1
    }
    if [ "$wm" = kwin ]; then
        wait_for sh -c 'dbus-send --session --print-reply --dest=org.kde.KWin /Compositor \
            org.freedesktop.DBus.Properties.Get string:org.kde.kwin.Compositing string:active |
            grep -q "boolean true"' || exit 1
    elif [ "$wm" = xfwm4 ]; then
        # It takes the compositing manager selection as it starts compositing.
        wait_for compositor_selection_owned || exit 1
    else
        picom --backend xrender --config /dev/null >"$runtime/picom.log" 2>&1 &
        pids+=($!)
        wait_for sh -c 'xwininfo -root -children | grep -q "\"picom\""' || exit 1
    fi
fi

client=${TAVRILUX_TEST_CLIENT:-$(dirname "$0")/../../build/dev/tests/desktop/tavrilux_test_client}
for args in "${clients[@]}"; do
    # shellcheck disable=SC2086
    "$client" $args >/dev/null &
    pids+=($!)
done

if (($#)); then
    "$@"
    exit $?
fi
echo "DISPLAY=$DISPLAY"
echo "XVFB_PID=$server"
# Serve until our standard input closes (the owner ended, even by a crash).
while read -r _; do :; done
exit 0
