#!/usr/bin/env bash
# A collection file that is one line of 5 MB: the manager shows it, scrolls it, and moves
# the caret along it without leaving the window unanswered for more than 100 ms at a time; a
# selection over several of its rows on screen is handed out as a piece of the line.
. "$(dirname "$0")/lib.sh" "$@"

mkdir -p "$files"
head -c 3750000 /dev/urandom | base64 -w0 >"$E2E_DIR/line"
append_record "$E2E_DIR/line" >"$files/clipbrd.dat"
before=$(md5sum <"$files/clipbrd.dat")
start_app

# Pings the window one after the other until stopped; each answer time goes to a line.
pings="$E2E_DIR/pings"
watch_pings() {
    while :; do "$OWNER_BIN" ping "$1" >>"$pings" || echo 10000 >>"$pings"; done
}
slowest() { sort -n "$pings" | tail -n 1; }

click_textdaten "$win"
mgr=$(wait_window "gesammelte Textdaten...")
spawn watch_pings "$mgr"
watcher=$BG_PID
sleep 3 # the file is read and shown
click_at "$mgr" $(((1950 + 60) / 15)) $(((60 + 90) / 15))
for k in End Home ctrl+End ctrl+Home End Left Home; do
    xdotool key --clearmodifiers "$k"
    sleep 0.5
done
# Horizontal scrolling with the wheel, and a click in the middle of the line.
xdotool mousemove --window "$mgr" 300 100 click 7 click 7 click 7 click 6
sleep 0.5
click_at "$mgr" 300 20
xdotool key --clearmodifiers shift+End shift+Down shift+Down shift+Down
sleep 1
kill "$watcher"
wait "$watcher" 2>/dev/null || true
echo "pings: $(wc -l <"$pings"), slowest answer: $(slowest) ms"
[ "$(wc -l <"$pings")" -ge 10 ] || fail "too few answers to the pings"
[ "$(slowest)" -le $((100 * SLOWDOWN)) ] || fail "the manager did not answer for $(slowest) ms"
[ "$(md5sum <"$files/clipbrd.dat")" = "$before" ] || fail "the collection file changed"
# The selection over several rows of the line, as other programs get it: a piece of the line,
# without the breaks made on screen.
primary=$(timeout 5 xclip -o -selection primary) || fail "no primary selection"
[ "${#primary}" -ge 1000 ] || fail "the selection over several rows holds ${#primary} bytes"
case "$primary" in *$'\n'* | *$'\r'*) fail "the primary selection holds a line end" ;; esac
grep -qF -- "$primary" "$files/clipbrd.dat" || fail "the primary selection is no piece of the line"
kill -0 "$APP_PID" || fail "program ended"
pass "a 5 MB line is shown and moved through without a freeze"
