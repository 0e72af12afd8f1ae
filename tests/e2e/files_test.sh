#!/usr/bin/env bash
# What the real program leaves on disk: private modes, and a kill -9 in the middle of a large
# append that leaves no part of a record for the next piece to be glued to, and loses no byte.
. "$(dirname "$0")/lib.sh" "$@"
umask 022

# Modes of a real run: every file and directory the program creates is the user's alone.
start_app
start_monitoring
clip_text "eins"
wait_until 10 test -s "$files/clipbrd.dat" || fail "clipbrd.dat not written"
# "Einzel-Texte speichern"; later "Textdaten sammeln" again.
click_client_twips "$win" $((150 + 225 + 300)) $((90 + 375 + 127))
sleep 0.3
clip_text "einzeln"
wait_until 10 test -s "$files/00.txt" || fail "00.txt not written"
printf 'einzeln\r\n' | cmp - "$files/00.txt" || fail "00.txt: $(cat -A "$files/00.txt")"
convert -size 4x4 xc:red "$E2E_DIR/red.png"
clip_file "$E2E_DIR/red.png" image/png
wait_until 10 test -f "$files/00.bmp" || fail "00.bmp not written"
click_client_twips "$win" $((150 + 225 + 300)) $((90 + 75 + 127))
sleep 0.3
close_app
for f in "$files" "$files/clipbrd.dat" "$files/00.txt" "$files/00.bmp" "$app/snapwell.ini"; do
    [ -d "$f" ] && want=700 || want=600
    [ "$(stat -c %a "$f")" = "$want" ] || fail "$f has mode $(stat -c %a "$f"), not $want"
done
[ -z "$(ls -A "$files" | grep '^\.')" ] || fail "hidden leftovers: $(ls -A "$files")"
pass "modes: directory 700, clipbrd.dat 00.txt 00.bmp snapwell.ini 600"

# kill -9 while a 50 MB piece is appended, caught while the guard of the append stands.
cp "$files/clipbrd.dat" "$E2E_DIR/before"
head -c 39000000 /dev/urandom | base64 -w 1000 >"$E2E_DIR/big"
start_app
start_monitoring
size0=$(size_of "$files/clipbrd.dat")
clip_file "$E2E_DIR/big" text/plain
# The side file stands from before the first byte until the record is on disk.
timeout 30 bash -c "until [ -L '$files/.clipbrd.dat.len' ]; do :; done" || fail "the append never began"
cut=$(size_of "$files/clipbrd.dat")
kill -9 "$APP_PID"
wait "$APP_PID" 2>/dev/null || true
echo "killed with $((cut - size0)) bytes of the record written"
# Another program appends a note before the next start: the repair must not lose it.
printf 'Notiz von nebenan\r\n' >>"$files/clipbrd.dat"
cp "$files/clipbrd.dat" "$E2E_DIR/crashed"
start_app
start_monitoring
clip_text "nach dem Absturz"
wait_until 20 bash -c "tail -c 200 '$files/clipbrd.dat' | grep -q 'nach dem Absturz'" || fail "next piece not stored"
# An unfinished record goes aside with the note after it, and the next piece starts where the
# file ended before the record; a record written whole stays, and so does the note after it.
printf 'nach dem Absturz' >"$E2E_DIR/next"
{ cat "$E2E_DIR/before"; append_record "$E2E_DIR/next"; } >"$E2E_DIR/without"
{ cat "$E2E_DIR/crashed"; append_record "$E2E_DIR/next"; } >"$E2E_DIR/with"
rests=("$files"/clipbrd.dat.rest-*)
if cmp -s "$E2E_DIR/without" "$files/clipbrd.dat"; then
    [ ${#rests[@]} -eq 1 ] && [ -f "${rests[0]}" ] || fail "nothing moved aside: $(ls -A "$files")"
    tail -c +$((size0 + 1)) "$E2E_DIR/crashed" | cmp - "${rests[0]}" || fail "the moved bytes differ"
    [ "$(stat -c %a "${rests[0]}")" = 600 ] || fail "${rests[0]} is not private"
    echo "moved aside: $(size_of "${rests[0]}") bytes, the note included"
else
    cmp "$E2E_DIR/with" "$files/clipbrd.dat" || fail "clipbrd.dat holds part of a record"
    [ ! -e "${rests[0]}" ] || fail "a whole record was moved aside"
fi
[ ! -L "$files/.clipbrd.dat.len" ] || fail "the side file stayed"
pass "kill -9 during a 50 MB append and a note after it: nothing lost, the next piece starts on a record boundary"
