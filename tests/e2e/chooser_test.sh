#!/usr/bin/env bash
# A new collection directory chosen through the menu and the chooser, created on request,
# becomes the target of the next capture and is kept in the profile.
. "$(dirname "$0")/lib.sh" "$@"

# The chooser's path box swallows dots, and the harness's own directory has one in its name:
# the new directory goes below a dot-free one of its own.
target_root=$(mktemp -d /tmp/snapwellXXXXXX)
trap 'rm -rf "$target_root"; e2e_cleanup' EXIT
target="$target_root/SammelZiel/Texte"

start_app
sleep 0.3

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
import -window root "$E2E_DIR/chooser.png"

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

# Monitoring on, then a text from xclip.
start_monitoring
clip_text "Gesammelt im neuen Verzeichnis"
wait_until 10 grep -q "Gesammelt im neuen Verzeichnis" "$target/clipbrd.dat" 2>/dev/null ||
    fail "text not stored in the new directory; output: $(cat "$app/output.log")"
[ ! -e "$app/Files/clipbrd.dat" ] || fail "text also stored in the old directory"
tr -d '\r' <"$target/clipbrd.dat" | head -n 2 | tail -n 1 | grep -qx "$SEP" ||
    fail "record without its separator line"

# Closing keeps the new directory in the profile.
close_app
grep -q "^SavePath=$target/"$'\r'"\$" "$app/snapwell.ini" || fail "profile: $(cat "$app/snapwell.ini")"
pass "collection directory changed through the chooser, capture stored there"
