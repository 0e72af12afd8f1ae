#!/usr/bin/env bash
# Collected texts are shown, edited and saved in the text data manager, which is opened with
# "Textdaten" and left again by its frame, while monitoring goes on. With E2E_SHOTS set to a
# directory, the screenshots are copied there.
. "$(dirname "$0")/lib.sh" "$@"

mkdir -p "$files"
printf 'Einzeltext\r\n' >"$files/01.txt"
for t in "Erster Text" "Zweiter Text mit Umlaut: Grüße" "Dritter Text"; do
    append_record <(printf '%s' "$t")
done >"$files/clipbrd.dat"
start_app
start_monitoring

# "Textdaten" (Befehl4 in the black panel) opens the manager and hides the main window.
open_manager() {
    click_textdaten "$win"
    mgr=$(wait_window "gesammelte Textdaten...")
    wait_until 5 eval '! visible "$win"' || fail "main window still shown beside the manager"
}
open_manager
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$mgr")"
shot="$E2E_DIR/manager.png"
import -window root "$shot"
[ -n "${E2E_SHOTS:-}" ] && cp "$shot" "$E2E_SHOTS/"
# The text box (Text3 at 1920, 30 twips, without its scroll bars) holds dark text on white.
white() { convert "$shot" -crop "$1" +repage -colorspace Gray -threshold 50% -format '%[fx:mean]' info:; }
box=$(white 466x334+$((X + 130))+$((Y + 4)))
echo "text box white share: $box"
awk -v m="$box" 'BEGIN { exit !(m > 0.8 && m < 0.995) }' || fail "text box does not show the texts (white share $box)"
# The lists (Liste1 and Liste2) are not empty either.
lists=$(white 97x255+$((X + 18))+$((Y + 10)))
awk -v m="$lists" 'BEGIN { exit !(m < 0.995) }' || fail "lists are empty (white share $lists)"

# Closing the manager by its frame brings the main window back.
wm_close "$mgr"
wait_until 5 visible "$win" || fail "main window not back after closing the manager by its frame"

# Again, now typing into the box and saving: every captured byte stays.
before=$(od -An -tx1 <"$files/clipbrd.dat")
open_manager
click_at "$mgr" $(((1950 + 60) / 15)) $(((60 + 90) / 15)) # into the first line of the text box
xdotool key --clearmodifiers Home
xdotool type --delay 20 "NEU "
sleep 0.3
click_at "$mgr" $(((195 + 1785 + 2325 / 2) / 15)) $(((5475 + 105 + 375 / 2) / 15)) # "Speichern"
wait_until 5 bash -c "head -c 4 '$files/clipbrd.dat' | grep -q '^NEU '" || fail "typed text not saved"
[ "$(tail -c +5 "$files/clipbrd.dat" | od -An -tx1)" = "$before" ] || fail "saving changed more than the typed text"
import -window root "$E2E_DIR/saved.png"
[ -n "${E2E_SHOTS:-}" ] && cp "$E2E_DIR/saved.png" "$E2E_SHOTS/"
kill -0 "$APP_PID" || fail "program ended"
pass "collected texts shown in the manager, saved without loss, main window back"
