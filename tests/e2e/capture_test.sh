#!/usr/bin/env bash
# The real program against the real X11 clipboard: every piece another program copies is
# stored, in order, with the exact record layout, also when pieces come faster than the tick.
. "$(dirname "$0")/lib.sh" "$@"

mkdir -p "$app"
# Sound on, with no sound server reachable: playing must fail fast and silently.
printf '[Pelloran Snapwell]\r\nSignale=1\r\n' >"$app/snapwell.ini"
start_app

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

start_monitoring

feed 0.6
expect_records "$E2E_DIR/expected" "600 ms apart"
pass "60 pieces 600 ms apart"

mv "$files/clipbrd.dat" "$E2E_DIR/first.dat"
feed 0.15
expect_records "$E2E_DIR/expected" "150 ms apart"
pass "60 pieces 150 ms apart"
