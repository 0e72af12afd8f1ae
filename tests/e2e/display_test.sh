#!/usr/bin/env bash
# A DISPLAY that leads to no X server beside a Wayland desktop: the program starts as a native
# Wayland client instead of ending for want of the X server.
. "$(dirname "$0")/lib.sh" "$@"

spawn bash "$SUPPORT_DIR/headless-sway.sh" "$E2E_DIR/sway" >"$E2E_DIR/sway.log" 2>&1
wait_until 10 test -S "$E2E_DIR/sway/wayland-1" || fail "headless sway did not start: $(cat "$E2E_DIR/sway.log")"
export WAYLAND_DISPLAY="$E2E_DIR/sway/wayland-1"
export SWAYSOCK=$(ls "$E2E_DIR"/sway/sway-ipc.*.sock)
# A display number no server answers on.
export DISPLAY=":$((1000 + RANDOM % 9000))"

start_program
wait_until 10 sway_window 'Pelloran Snapwell' >/dev/null || fail "no native window: $(cat "$app/output.log")"
! ended "$APP_PID" || fail "the program ended: $(cat "$app/output.log")"
pass "a DISPLAY without a server beside Wayland: the program runs natively"
