#!/usr/bin/env bash
# Runs weston with XWayland as a window of the X server $DISPLAY (an Xvfb of the test's own)
# on the private runtime directory $1 until it is ended. Prints the Wayland socket's path and
# XWayland's display (":N") once both answer; fails (exit 1) when either does not come up.
# The socket lies in the run's own directory, so parallel runs never meet.
set -uo pipefail
run=$1
install -d -m 700 "$run"
export XDG_RUNTIME_DIR=$run
unset WAYLAND_DISPLAY
cat >"$run/weston.ini" <<CONF
[core]
xwayland=true
idle-time=0
[shell]
panel-position=none
locking=false
CONF
weston --config="$run/weston.ini" --backend=x11-backend.so --xwayland --socket=wayland-w \
    --width=1280 --height=800 --log="$run/weston.log" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null' EXIT
trap 'exit 0' TERM INT HUP
# XWayland starts on the first X client; its display is in weston's log once it listens.
for _ in $(seq 150); do
    kill -0 "$server" 2>/dev/null || break
    if [ -S "$run/wayland-w" ]; then
        xdisplay=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$run/weston.log" | tail -n 1)
        if [ -n "$xdisplay" ]; then
            echo "$run/wayland-w"
            echo "$xdisplay"
            wait "$server"
            echo "weston.sh: weston ended: $(tail -n 3 "$run/weston.log")" >&2
            exit 1
        fi
    fi
    sleep 0.1
done
echo "weston.sh: weston did not start: $(tail -n 5 "$run/weston.log" 2>/dev/null)" >&2
exit 1
