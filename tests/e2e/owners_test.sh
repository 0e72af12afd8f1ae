#!/usr/bin/env bash
# Clipboard owners that misbehave, and secrets: the window keeps answering while an owner
# never hands its content over, SIGTERM still ends the program with its profile written, and
# a text offered with the password-manager hint is never stored.
. "$(dirname "$0")/lib.sh" "$@"

start_app
start_monitoring

# Owns the clipboard through the test owner ($1: mode, $2: text, $3: "secret").
own() {
    local text="$E2E_DIR/owned$RANDOM"
    printf '%s' "${2:-}" >"$text"
    spawn "$OWNER_BIN" "$1" "$text" ${3:-} >"$text.out" 2>&1
    wait_until 5 grep -q ready "$text.out" || fail "owner $1 did not take the clipboard"
}

own text "Kennwort123" secret
sleep 1.5
clip_text "nach dem Kennwort"
wait_until 10 grep -q "nach dem Kennwort" "$files/clipbrd.dat" || fail "the text after the secret was not stored"
! grep -q "Kennwort123" "$files/clipbrd.dat" || fail "the secret was stored"
pass "secret skipped, the next text stored"

# An owner that never answers: every ping is answered within a second, during the wait too.
own hang
for i in 1 2 3 4 5 6; do
    ms=$("$OWNER_BIN" ping "$win") || fail "no answer to ping $i"
    [ "$ms" -lt 1000 ] || fail "ping $i answered after $ms ms"
    sleep 0.4
done
own targets
ms=$("$OWNER_BIN" ping "$win") || fail "no answer to ping"
[ "$ms" -lt 1000 ] || fail "ping answered after $ms ms with an owner that sends no data"
pass "the window answers while owners do not"

# SIGTERM (as at the end of a desktop session) ends the program with the settings written,
# also while an owner hangs.
own hang
rm -f "$app/snapwell.ini"
kill -TERM "$APP_PID"
wait_until 10 ended "$APP_PID" || fail "program did not end on SIGTERM"
grep -q '^SavePath=' "$app/snapwell.ini" || fail "SIGTERM lost the settings"
pass "SIGTERM ends the program with its settings written while an owner hangs"
