#!/usr/bin/env bash
# The real program against the real X11 clipboard: every piece another program copies is
# stored, in order, with the exact record layout, also when pieces come faster than the tick;
# the counters follow the files, and the indicator blinks in the looks the window paints.
. "$(dirname "$0")/lib.sh" "$@"

mkdir -p "$app"
# Sound on, with no sound server reachable: playing must fail fast and silently.
printf '[Pelloran Snapwell]\r\nSignale=1\r\n' >"$app/snapwell.ini"
# The window says in its log what the counters show.
export QT_LOGGING_RULES="snapwell.ui.info=true"
start_app

# The indicator's panel with its button, as the screen shows it now, into a file.
panel_look() {
    local h
    h=$(xdotool getwindowgeometry --shell "$win" | sed -n 's/^HEIGHT=//p')
    import -window "$win" -crop 163x45+10+$((276 + h - 352)) +repage "$1"
}
# The colour of a pixel of the panel's rim, beside the button.
rim_colour() { convert "$1" -format '%[hex:p{3,22}]\n' info:; }
looks() { for f in "$E2E_DIR"/look-*.png; do convert "$f" rgb:- | md5sum; done | sort -u | wc -l; }

# Sixty distinct pieces: umlauts, emoji, several lines, a CR LF ending, one of 5 MB.
pieces="$E2E_DIR/pieces"
mkdir -p "$pieces"
for i in $(seq -w 1 60); do
    case $((10#$i % 5)) in
    0) printf 'Grüße aus Köln, Stück %s: äöüß ÄÖÜ €' "$i" ;;
    1) printf 'Emoji %s 😀🎉 und 漢字' "$i" ;;
    2) printf 'Zeile eins %s\nZeile zwei\n\nZeile vier' "$i" ;;
    3) printf 'Windows-Zeilen %s\r\nEnde\r\n' "$i" ;;
    4) printf '  Leerzeichen am Rand %s  ' "$i" ;;
    esac >"$pieces/$i"
done
head -c 3900000 /dev/urandom | base64 >"$pieces/30"

feed() {
    local spacing=$1 f
    for f in "$pieces"/*; do
        clip_file "$f" text/plain
        sleep "$spacing"
    done
}

for f in "$pieces"/*; do append_record "$f"; done >"$E2E_DIR/expected"

# START: black and red take turns. Each look is painted through the window the first time
# and copied in later: two looks only, with the button unchanged, also after another window
# covered the panel for a moment.
click_start_stop "$win"
wait_start_handled "$win"
panel_look "$E2E_DIR/look-0.png"
for i in $(seq 1 12); do
    panel_look "$E2E_DIR/look-$i.png"
    sleep 0.13
done
spawn "$FOCUS_BIN" >/dev/null 2>&1
cover=$BG_PID
wait_until 10 find_window Fokus || fail "the covering window did not appear"
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool windowmove "$WIN_ID" $((X + 20)) $((Y + 276 + HEIGHT - 352))
sleep 0.3
kill "$cover"
for i in $(seq 13 20); do
    panel_look "$E2E_DIR/look-$i.png"
    sleep 0.13
done
[ "$(looks)" = 2 ] || fail "the indicator showed $(looks) looks, not two"
colours=$(for f in "$E2E_DIR"/look-*.png; do rim_colour "$f"; done | sort -u | tr '\n' ' ')
[ "$colours" = "000000 FF0000 " ] || fail "the indicator's rim showed $colours"
convert "$E2E_DIR/look-0.png" -crop 120x15+20+15 +repage "$E2E_DIR/button.png"
for f in "$E2E_DIR"/look-*.png; do
    convert "$f" -crop 120x15+20+15 +repage "$E2E_DIR/b.png"
    [ "$(differing "$E2E_DIR/button.png" "$E2E_DIR/b.png")" = 0 ] || fail "the button changed in $f"
done
wait_until 5 bash -c "xdotool search --name 'A K T I V' >/dev/null" || fail "the caption does not blink"
pass "the indicator blinks in the two looks the window paints"

feed 0.6
expect_records "$E2E_DIR/expected" "600 ms apart"
pass "60 pieces 600 ms apart"

mv "$files/clipbrd.dat" "$E2E_DIR/first.dat"
feed 0.15
expect_records "$E2E_DIR/expected" "150 ms apart"
pass "60 pieces 150 ms apart"

# The counters as the window shows them, by its log: the last line said.
counters() { grep -a 'counters:' "$app/output.log" | tail -n "${1:-1}" | head -n 1 | sed 's/.*counters: //'; }
n=$(grep -ac 'counters:' "$app/output.log")
[ "$(counters "$n")" = "0 texts, 0 pictures, no text data" ] || fail "counters at the start: $(counters "$n")"
[ "$(counters)" = "0 texts, 0 pictures, text data" ] || fail "counters after collecting: $(counters)"
# "Einzel-Texte speichern": each piece its own file, and the count follows at once.
click_client_twips "$win" $((150 + 225 + 300)) $((90 + 375 + 127))
for i in 1 2 3; do
    clip_text "Einzeln $i"
    wait_until 10 test -f "$files/$(printf '%02d' $((i - 1))).txt" || fail "single text $i not stored"
    wait_until 5 eval '[ "$(counters)" = "'"$i"' texts, 0 pictures, text data" ]' ||
        fail "counters after single text $i: $(counters)"
done
pass "the counters follow the files in both modes"
