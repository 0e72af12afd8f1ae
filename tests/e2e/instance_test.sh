#!/usr/bin/env bash
# One instance at a time; a collection directory chosen through the menu and the chooser,
# typed for real and created on the real message box's default answer; closing writes the
# profile; a killed instance does not block.
. "$(dirname "$0")/lib.sh" "$@"

# The chooser's path box swallows dots, and the harness's own directory has one in its name:
# the new directory goes below a dot-free one of its own.
target_root=$(mktemp -d /tmp/snapwellXXXXXX)
trap 'rm -rf "$target_root"; e2e_cleanup' EXIT
target="$target_root/SammelZiel/Texte"

start_app
sleep 0.5
import -window "$win" "$E2E_DIR/plain.png"

# A second start ends at once, silently, and leaves the first running. It touches neither
# the clipboard nor the display before it knows it is not alone: an owner that logs every
# request hears nothing from it once the first instance has read, it logs no reading, and
# with a display that leads nowhere it still ends quietly.
owner_log="$E2E_DIR/owner.log"
printf 'gehört einem anderen' >"$E2E_DIR/owned.txt"
spawn "$OWNER_BIN" text "$E2E_DIR/owned.txt" >/dev/null 2>"$owner_log"
wait_until 10 grep -q '^request' "$owner_log" || fail "the first instance did not read the clipboard"
# Its reading done: nothing new for a second.
until before=$(wc -l <"$owner_log") && sleep 1 && [ "$(wc -l <"$owner_log")" = "$before" ]; do :; done
second_start() {
    local code=0
    (cd "$app" && QT_LOGGING_RULES='snapwell.*=true' timeout 3 ./snapwell >"$E2E_DIR/second.log" 2>&1) || code=$?
    [ "$code" != 124 ] || fail "second start did not end within 3 s ($1)"
    [ "$code" = 0 ] || fail "second start ended with $code ($1): $(cat "$E2E_DIR/second.log")"
    [ ! -s "$E2E_DIR/second.log" ] || fail "second start said something ($1): $(cat "$E2E_DIR/second.log")"
}
second_start "same display"
sleep 1
[ "$(wc -l <"$owner_log")" = "$before" ] || fail "the second start asked the owner: $(tail -n +$((before + 1)) "$owner_log")"
DISPLAY=:nowhere second_start "no display"
kill -0 "$APP_PID" || fail "first instance ended"
[ "$(xdotool search --onlyvisible --name '^Pelloran Snapwell$' | wc -l)" -eq 1 ] || fail "a second window appeared"

[ ! -e "$app/snapwell.ini" ] || fail "profile written before closing"

# Window coordinates below: there is no window manager, so a window's origin is the corner of
# its client area. The chooser's controls sit where its layout puts them (path box 7,208
# 322x19; "Übernehmen" 176,232 153x25).
# "Sammel-Verzeichnis ändern...", the second item of the menu bar, some 135 to 280 pixels
# from the left with the default fonts.
click_at "$win" 200 8
chooser=$(wait_window "Sammel-Verzeichnis auswählen:")
sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$chooser")"
[ "$WIDTH" = 337 ] && [ "$HEIGHT" = 263 ] || fail "chooser is ${WIDTH}x${HEIGHT}"
# Replace the shown path; the dot typed into it never arrives.
click_at "$chooser" 150 217
xdotool key ctrl+a
xdotool type --delay 20 "$target_root/Sammel.Ziel/Texte"
click_at "$chooser" 252 244
wait_window "Pelloran's Snapwell" >/dev/null
sleep 0.3
xdotool key Return # "Ja", the default answer to "... existiert nicht. Erstellen ?"
wait_until 10 test -d "$target" || fail "directory not created: $(ls -R "$target_root")"
wait_until 5 eval '! find_window "Sammel-Verzeichnis auswählen:"' || fail "chooser still open"

# Closing the window writes the profile, the chosen directory in it, and ends the program.
close_app
ini=$(tr -d '\r' <"$app/snapwell.ini")
expected="[Pelloran Snapwell]
TextSammeln=1
Trennlinie=1
Signale=1
Minimieren=0
Trennzeichen=$SEP
SavePath=$target/"
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
pass "single instance, directory chosen, profile on close, stale lock, arguments ignored"
