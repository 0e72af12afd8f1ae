#!/usr/bin/env bash
# Termination always ends the program within 5 s, with the settings saved: also while the
# close question is open, and after a second signal.
. "$(dirname "$0")/lib.sh" "$@"

# Starts the program with a piece that cannot be written and asks it to close: the question
# "Programm trotzdem beenden ?" stays open.
question_open() {
    rm -f "$app/snapwell.ini"
    start_app
    start_monitoring
    clip_text "wartet $1"
    sleep 1.5
    wm_close "$win"
    wait_until 10 eval '[ "$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | wc -l)" -ge 2 ]' ||
        fail "the close question did not appear ($1)"
    sleep 0.5
    kill -0 "$APP_PID" || fail "the program ended before the question was answered ($1)"
}

# The signals given, one right after the other (a later one may find the program gone); it
# must be gone 5 s after the first.
terminate() {
    local sig
    kill -s "$1" "$APP_PID"
    for sig in "${@:2}"; do
        kill -s "$sig" "$APP_PID" 2>/dev/null || true
    done
    wait_until 5 ended "$APP_PID" || fail "still running 5 s after $*"
    grep -q 'TextSammeln=1' "$app/snapwell.ini" 2>/dev/null || fail "settings not saved after $*"
}

mkdir -p "$files"
# A directory where the collection file belongs: every piece waits.
mkdir "$files/clipbrd.dat"

question_open "eins"
terminate TERM
pass "SIGTERM while the close question is open"

question_open "zwei"
terminate INT TERM
pass "SIGINT and a second signal while the close question is open"

# Without a question: the waiting piece goes to a directory that works again when it can.
rmdir "$files/clipbrd.dat"
start_app
start_monitoring
clip_text "gerettet"
wait_until 10 grown "$files/clipbrd.dat" 8 || fail "the piece was not stored"
terminate HUP
pass "SIGHUP ends the program"
