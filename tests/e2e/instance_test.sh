#!/usr/bin/env bash
# One instance at a time; closing writes the profile; a killed instance does not block.
. "$(dirname "$0")/lib.sh" "$@"

start_app
[ -d "$app/Files" ] || fail "collection directory not created"
sleep 0.5
import -window "$win" "$E2E_DIR/plain.png"

# A second start ends at once, silently, and leaves the first running.
second_out=$(timeout 3 "$app/snapwell" 2>&1) || [ $? != 124 ] || fail "second start did not end within 3 s"
kill -0 "$APP_PID" || fail "first instance ended"
[ "$(xdotool search --onlyvisible --name '^Pelloran Snapwell$' | wc -l)" -eq 1 ] || fail "a second window appeared"
echo "second start output: ${second_out:-<none>}"

# Closing the window writes the profile and ends the program.
[ ! -e "$app/snapwell.ini" ] || fail "profile written before closing"
close_app
ini=$(tr -d '\r' <"$app/snapwell.ini")
expected="[Pelloran Snapwell]
TextSammeln=1
Trennlinie=1
Signale=1
Minimieren=0
Trennzeichen=$SEP
SavePath=$app/Files/"
[ "$ini" = "$expected" ] || fail "profile differs: $ini"
grep -q $'\r$' "$app/snapwell.ini" || fail "profile lines do not end in CR LF"

# After kill -9 the lock is stale and the next start works.
start_program
wait_window "Pelloran Snapwell" >/dev/null
kill -9 "$APP_PID"
wait "$APP_PID" 2>/dev/null || true
# Arguments are ignored, Qt's own among them: the same window, pixel for pixel, on this display.
start_app -reverse -style windows -platform offscreen -geometry 50x50+0+0 -title x -fn 20
kill -0 "$APP_PID" || fail "start after kill -9 failed"
sleep 0.5
import -window "$win" "$E2E_DIR/args.png"
differ=$(differing "$E2E_DIR/plain.png" "$E2E_DIR/args.png")
[ "$differ" = 0 ] || fail "arguments changed the window: $differ pixels differ"
pass "single instance, profile on close, stale lock, arguments ignored"
