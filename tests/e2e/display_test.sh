#!/usr/bin/env bash
# A DISPLAY that leads to no X server beside a Wayland desktop: the program starts as a native
# Wayland client instead of ending for want of the X server.
. "$(dirname "$0")/lib.sh" "$@"

start_sway
# A display number no server answers on: the first one without a socket or a lock.
n=900
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
export DISPLAY=":$n"

start_program
wait_until 10 sway_window 'Pelloran Snapwell' >/dev/null || fail "no native window: $(cat "$app/output.log")"
! ended "$APP_PID" || fail "the program ended: $(cat "$app/output.log")"
pass "a DISPLAY without a server beside Wayland: the program runs natively"
