#!/usr/bin/env bash
# The real program as a native Wayland client on a headless sway, no X server at all, with the
# keyboard focus on another program's window: texts, a picture, a secret and a snapshot
# through the (fake) screenshot portal. An X server beside it (as XWayland would be) has its
# clipboard emptied with the Wayland one.
. "$(dirname "$0")/lib.sh" "$@"

# A headless sway of the test's own with a pointer device, no X server at all.
start_sway
spawn "$WLTOOL_BIN" pointer >"$E2E_DIR/pointer.out" 2>&1
wait_until 5 grep -q ready "$E2E_DIR/pointer.out" || fail "no pointer device"

# A session bus with the fake screenshot portal; it answers as $E2E_DIR/bus/portal-mode says.
mkdir -p "$E2E_DIR/bus"
spawn bash "$SUPPORT_DIR/privatebus.sh" "$E2E_DIR/bus" >"$E2E_DIR/bus.out" 2>&1
wait_until 10 grep -q '^unix:' "$E2E_DIR/bus.out" || fail "no session bus with the fake portal"
export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$E2E_DIR/bus.out")

start_xvfb
export QT_LOGGING_RULES="snapwell.*=true"
start_program
wait_until 10 sway_window 'Pelloran Snapwell' >/dev/null || fail "no native window: $(cat "$app/output.log")"
grep -q "native Wayland with data control (zwlr_data_control_v1)" "$app/output.log" ||
    fail "the log does not say how the clipboard is watched: $(grep reader "$app/output.log")"
grep -q "X11 clipboard on $DISPLAY is emptied beside it" "$app/output.log" || fail "the log does not name the X11 side"

# START and STOP empty the Wayland and the X11 clipboard.
wl_empty() { ! timeout 5 wl-paste -l >/dev/null 2>&1; }
x_empty() { ! xclip -selection clipboard -o >/dev/null 2>&1; }
both_filled() {
    printf 'vorher' | wl-copy
    clip_text "X11 vorher"
    wait_until 5 eval '[ "$(xclip -selection clipboard -o 2>/dev/null)" = "X11 vorher" ]' || fail "xclip did not take it"
}
both_filled
click_start_stop -
wait_until 5 sway_window 'Pelloran Snapwell +A K T I V' >/dev/null || fail "monitoring did not start"
wait_until 5 wl_empty || fail "START left the Wayland clipboard"
wait_until 5 x_empty || fail "START left the X11 clipboard: $(xclip -selection clipboard -o)"
! grep -q "only to the window with the focus" "$app/output.log" || fail "the focus hint was shown"
pass "START empties both clipboards, no focus hint"

spawn env QT_QPA_PLATFORM=wayland "$FOCUS_BIN" >/dev/null 2>&1
focused() { [ "$(sway_window Fokus | cut -d' ' -f5)" = 1 ]; }
wait_until 10 focused || fail "the other window did not take the focus"

# Twenty texts 300 ms apart, all stored in order with the separator line.
expected="$E2E_DIR/expected"
for i in $(seq -w 1 20); do
    printf 'Stück %s: Grüße 😀\nZeile zwei' "$i" >"$E2E_DIR/piece$i"
    append_record "$E2E_DIR/piece$i" >>"$expected"
    wl-copy <"$E2E_DIR/piece$i"
    sleep 0.3
done
expect_records "$expected" "focus elsewhere"
focused || fail "the focus moved"
pass "20 texts 300 ms apart, focus elsewhere"

# A picture: stored pixel for pixel, then taken off the clipboard.
convert -seed 3 -size 97x61 plasma:fractal -depth 8 "$E2E_DIR/p.png"
wl-copy --type image/png <"$E2E_DIR/p.png"
wait_until 10 test -f "$files/00.bmp" || fail "picture not stored: $(ls "$files")"
[ "$(differing "$E2E_DIR/p.png" "$files/00.bmp")" = 0 ] || fail "00.bmp differs"
wl_empty() { ! wl-paste -l >/dev/null 2>&1; }
wait_until 5 wl_empty || fail "the picture stayed on the clipboard"
pass "picture stored as 00.bmp and taken off the clipboard"

# A secret stays on the clipboard and out of the files; plain text after it is stored.
spawn "$WLTOOL_BIN" offer "text/plain=Kennwort 123" x-kde-passwordManagerHint=secret >/dev/null
sleep 1
[ "$(wl-paste -n)" = "Kennwort 123" ] || fail "the secret was taken off the clipboard"
printf 'danach' | wl-copy
wait_until 5 grep -q danach "$files/clipbrd.dat" || fail "text after the secret not stored"
! grep -q Kennwort "$files/clipbrd.dat" || fail "the secret was stored"
pass "secret skipped"

# A snapshot through the portal: the window hides, the picture is stored as scr01.bmp and
# taken off the clipboard, the window comes back.
convert -seed 4 -size 1280x800 plasma:fractal -depth 8 "$E2E_DIR/screen.png"
echo "ok $E2E_DIR/screen.png" >"$E2E_DIR/bus/portal-mode"
click_screenshot -
wait_until 10 test -f "$files/scr01.bmp" || fail "snapshot not stored: $(ls "$files")"
[ "$(differing "$E2E_DIR/screen.png" "$files/scr01.bmp")" = 0 ] || fail "scr01.bmp differs"
wait_until 5 sway_window 'Pelloran Snapwell.*' >/dev/null || fail "the window did not come back"
wait_until 5 wl_empty || fail "the snapshot stayed on the clipboard"
pass "snapshot through the portal stored as scr01.bmp"

# A cancelled snapshot leaves the request pending: the next picture gets the "scr" name.
echo cancel >"$E2E_DIR/bus/portal-mode"
click_screenshot -
sleep 1
wait_until 5 sway_window 'Pelloran Snapwell.*' >/dev/null || fail "the window did not come back"
wl-copy --type image/png <"$E2E_DIR/p.png"
wait_until 10 test -f "$files/scr02.bmp" || fail "next picture not named as a snapshot: $(ls "$files")"
pass "cancelled snapshot leaves the request pending"

both_filled
click_start_stop -
wait_until 5 sway_window 'Pelloran Snapwell' >/dev/null || fail "monitoring did not stop"
wait_until 5 wl_empty || fail "STOP left the Wayland clipboard"
wait_until 5 x_empty || fail "STOP left the X11 clipboard"
pass "STOP empties both clipboards"
