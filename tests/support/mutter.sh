#!/usr/bin/env bash
# Runs mutter nested (a window of the X server $DISPLAY, an Xvfb of the test's own) with its
# XWayland, on the private runtime directory $1 with a session bus of its own, until it is
# ended. Prints the Wayland socket's path, XWayland's display (":N") and its authority file
# once XWayland answers; fails (exit 1) when it does not come up.
set -uo pipefail
run=$1
install -d -m 700 "$run"
export XDG_RUNTIME_DIR=$run
unset WAYLAND_DISPLAY
dbus-daemon --session --address="unix:path=$run/bus" --nofork >"$run/bus.log" 2>&1 &
bus=$!
export DBUS_SESSION_BUS_ADDRESS="unix:path=$run/bus"
MUTTER_DEBUG_DUMMY_MODE_SPECS=1280x800 mutter --nested --wayland --wayland-display=wayland-m \
    >"$run/mutter.log" 2>&1 &
server=$!
trap 'kill "$server" "$bus" 2>/dev/null; wait 2>/dev/null' EXIT
trap 'exit 0' TERM INT HUP
for _ in $(seq 150); do
    kill -0 "$server" 2>/dev/null || break
    args=$(ps -o args= --ppid "$server" | grep '^/usr/bin/Xwayland' || true)
    xdisplay=$(grep -o 'Xwayland :[0-9]*' <<<"$args" | cut -d' ' -f2)
    auth=$(grep -o -- '-auth [^ ]*' <<<"$args" | cut -d' ' -f2)
    if [ -S "$run/wayland-m" ] && [ -n "$xdisplay" ] &&
        DISPLAY=$xdisplay XAUTHORITY=$auth timeout 5 xdotool getdisplaygeometry >/dev/null 2>&1; then
        printf '%s\n%s\n%s\n' "$run/wayland-m" "$xdisplay" "$auth"
        wait "$server"
        echo "mutter.sh: mutter ended: $(tail -n 3 "$run/mutter.log")" >&2
        exit 1
    fi
    sleep 0.1
done
echo "mutter.sh: mutter did not start: $(tail -n 5 "$run/mutter.log" 2>/dev/null)" >&2
exit 1
