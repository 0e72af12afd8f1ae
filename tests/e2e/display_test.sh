#!/usr/bin/env bash
# Displays that lead nowhere. Without any display that answers, the program says so in one
# line and ends with status 1 (not the toolkit's abort) before touching a file. A DISPLAY that
# leads to no X server beside a Wayland desktop: the program starts as a native Wayland client
# instead of ending for want of the X server.
. "$(dirname "$0")/lib.sh" "$@"

# A display number no server answers on: the first one without a socket or a lock.
n=900
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done

mkdir -p "$app"
cp "$SNAPWELL_BIN" "$app/snapwell"
# variables set | the reason the line gives
cases=(
    "|DISPLAY oder WAYLAND_DISPLAY ist nicht gesetzt"
    "DISPLAY=:$n|DISPLAY=:$n antwortet nicht"
    "DISPLAY=:$n WAYLAND_DISPLAY=$E2E_DIR/none|WAYLAND_DISPLAY=$E2E_DIR/none und DISPLAY=:$n antworten nicht"
)
for c in "${cases[@]}"; do
    IFS='|' read -r vars reason <<<"$c"
    status=0
    # shellcheck disable=SC2086
    (cd "$app" && env $vars timeout 20 ./snapwell >"$E2E_DIR/out" 2>"$E2E_DIR/err") || status=$?
    [ $status = 1 ] || fail "[$vars] status $status, expected 1: $(cat "$E2E_DIR/err")"
    expected="snapwell: keine grafische Anzeige gefunden ($reason)"
    [ "$(cat "$E2E_DIR/err")" = "$expected" ] || fail "[$vars] said '$(cat "$E2E_DIR/err")', expected '$expected'"
    [ ! -s "$E2E_DIR/out" ] || fail "[$vars] wrote on standard output: $(cat "$E2E_DIR/out")"
    [ ! -e "$files" ] && [ ! -e "$app/snapwell.ini" ] || fail "[$vars] files made without a display"
done
pass "without a display that answers: one line and status 1"

start_sway
export DISPLAY=":$n"
start_program
wait_until 10 sway_window 'Pelloran Snapwell' >/dev/null || fail "no native window: $(cat "$app/output.log")"
! ended "$APP_PID" || fail "the program ended: $(cat "$app/output.log")"
pass "a DISPLAY without a server beside Wayland: the program runs natively"
