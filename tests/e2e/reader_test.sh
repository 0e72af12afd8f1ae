#!/usr/bin/env bash
# What the reader takes from odd owners, against the real X11 clipboard: START while a 50 MB
# text is still being read clears it unstored; the caption is empty until the first tick; an
# owner that trickles its text, one that answers with the wrong type, binary data offered as
# text, and a toolkit's text with LF line ends.
. "$(dirname "$0")/lib.sh" "$@"

# Owns the clipboard through the test owner ($1: mode, $2: text); sets BG_PID.
own() {
    local text="$E2E_DIR/owned$RANDOM"
    printf "${2:-}" >"$text"
    spawn "$OWNER_BIN" "$1" "$text" >"$text.out" 2>&1
    wait_until 5 grep -q ready "$text.out" || fail "owner $1 did not take the clipboard"
}
dat="$files/clipbrd.dat"

# 50 MB on the clipboard as the program starts; START is clicked while it is being read.
start_xvfb
head -c 37500000 /dev/urandom | base64 -w 0 >"$E2E_DIR/big"
clip_file "$E2E_DIR/big" text/plain
big=$BG_PID
wait_until 5 xclip -selection clipboard -o -t TARGETS >/dev/null 2>&1 || fail "xclip did not take the clipboard"
export QT_LOGGING_RULES="snapwell.capture.info=true"
start_program
win=$(wait_window "Pelloran Snapwell")
click_start_stop "$win"
wait_start_handled "$win"
[ -z "$caption" ] || fail "caption right after START is '$caption'"
wait_until 10 ended "$big" || fail "the 50 MB text stayed on the clipboard"
sleep 3
[ ! -s "$dat" ] || fail "the text on the clipboard at START was stored ($(size_of "$dat") bytes)"
pass "START clears a 50 MB text still being read, unstored; empty caption until the first tick"

# An owner that trickles one byte every 200 ms: abandoned as soon as another program copies.
own trickle "$(printf 'x%.0s' $(seq 100))"
sleep 0.5
clip_text "nach dem Tröpfeln"
wait_until 3 grep -q "nach dem Tröpfeln" "$dat" || fail "text after a trickling owner not stored within 3 s"
# Alone, it costs the reader its budget, not the time it takes.
own trickle "$(printf 'y%.0s' $(seq 100))"
sleep 0.2
start=$(date +%s%N)
sleep 2.5
clip_text "später"
wait_until 3 grep -q "später" "$dat" || fail "text after a trickling owner's budget not stored"
! grep -q "xxxx\|yyyy" "$dat" || fail "a trickled text was stored"
pass "trickling owners cost no more than the budget"

# 16-bit data of a made-up type is not taken as text.
own badtype "Inhalt"
sleep 1.5
clip_text "danach"
wait_until 5 grep -q danach "$dat" || fail "text after the wrong type not stored"
! grep -q "Inhalt" "$dat" || fail "the reply of the wrong type was stored"
! grep -qaP '\x00|\xef\xbf\xbd' "$dat" || fail "NUL or U+FFFD in clipbrd.dat"
pass "a reply of the wrong type is not stored"

# A picture's bytes as UTF-8 text, and Latin-1 text holding NUL bytes: left on the clipboard,
# not stored, one log line naming the type.
convert -size 13x11 xc:green "$E2E_DIR/green.png"
printf 'Gr\xfc\xdfe\0Ende' >"$E2E_DIR/latin1"
for offer in "UTF8_STRING green.png text/plain;charset=utf-8" "STRING latin1 text/plain"; do
    read -r target file type <<<"$offer"
    before=$(size_of "$dat")
    clip_file "$E2E_DIR/$file" "$target"
    wait_until 5 grep -q "binary data offered as $type, left" "$app/output.log" || fail "$target: no log line naming the type"
    sleep 1
    [ "$(size_of "$dat")" = "$before" ] || fail "$target: binary data stored as text"
    xclip -selection clipboard -o -t "$target" | cmp - "$E2E_DIR/$file" || fail "$target: not left on the clipboard"
done
pass "binary data offered as text is left on the clipboard, not stored"

# A toolkit turns LF into CR LF in text/plain;charset=utf-8: its own bytes come from
# UTF8_STRING, as xclip's do.
own gtk 'a\nb'
wait_until 5 grep -q '^b' "$dat" || fail "the toolkit's text not stored"
printf 'a\nb\r\n%s\r\n\r\n' "$SEP" >"$E2E_DIR/lf"
tail -c "$(size_of "$E2E_DIR/lf")" "$dat" | cmp - "$E2E_DIR/lf" || fail "the toolkit's LF text changed on the way"
pass "a toolkit's LF text is stored with its own line ends"

# A GTK program's picture with transparent parts: taken from its PNG, not its alpha-less
# bitmap file, the transparent half comes out white. Its LF text is stored as it offers it.
spawn /usr/bin/python3 "$SUPPORT_DIR/gtkowner.py" picture >"$E2E_DIR/gtk.out" 2>&1
wait_until 10 grep -q ready "$E2E_DIR/gtk.out" || fail "the GTK program did not start: $(cat "$E2E_DIR/gtk.out")"
wait_until 10 test -f "$files/00.bmp" || fail "the GTK picture was not stored: $(ls "$files")"
convert -size 20x30 xc:white -size 20x30 xc:red +append "$E2E_DIR/expected.png"
[ "$(differing "$E2E_DIR/expected.png" "$files/00.bmp")" = 0 ] || fail "the transparent half is not white"
kill "$BG_PID"
spawn /usr/bin/python3 "$SUPPORT_DIR/gtkowner.py" text "$(printf 'Zeile 1\nZeile 2')" >"$E2E_DIR/gtk2.out" 2>&1
wait_until 10 grep -q ready "$E2E_DIR/gtk2.out" || fail "the GTK program did not start"
printf 'Zeile 1\nZeile 2\r\n%s\r\n\r\n' "$SEP" >"$E2E_DIR/gtklf"
wait_until 5 grep -q "Zeile 2" "$dat" || fail "the GTK text not stored"
tail -c "$(size_of "$E2E_DIR/gtklf")" "$dat" | cmp - "$E2E_DIR/gtklf" || fail "the GTK text's line ends changed"
pass "a GTK program's transparent picture is laid on white, its LF text kept as it is"

# A snapshot whose file cannot be written keeps the "scr" name for itself: a picture copied
# after it is a numbered picture of its own. Both are written once the directory is back.
rm -rf "$files" && touch "$files"
click_screenshot "$win"
sleep 2
convert -size 9x7 xc:blue "$E2E_DIR/blue.png"
clip_file "$E2E_DIR/blue.png" image/png
sleep 1
rm -f "$files" && mkdir "$files"
# (numbered after the files of the directory as it was last seen: scr01.bmp, 01.bmp)
wait_until 10 test -f "$files/01.bmp" || fail "the pictures were not written: $(ls "$files")"
[ "$(ls "$files")" = "$(printf '01.bmp\nscr01.bmp')" ] || fail "unexpected files: $(ls "$files")"
[ "$(differing "$E2E_DIR/blue.png" "$files/01.bmp")" = 0 ] || fail "01.bmp is not the copied picture"
pass "a picture copied after a failed snapshot is not named as the snapshot"
