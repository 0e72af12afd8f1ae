# The real program as an X client of XWayland under a compositor ($COMPOSITOR), with a GTK
# program on the Wayland side holding the focus: every copy is heard, START and STOP empty the
# clipboard on both sides, and a picture that the bridge hands over as text is never stored
# as text. Sourced by weston_test.sh and mutter_test.sh.
. "$(dirname "$0")/lib.sh" "$@"

start_compositor "$COMPOSITOR"
export QT_LOGGING_RULES="snapwell.*=true"
start_program
wait_until 10 find_window "Pelloran Snapwell" || fail "no window on XWayland: $(cat "$app/output.log")"
grep -q "clipboard watched through XWayland" "$app/output.log" || fail "the log does not say XWayland"
grep -q "snapshots through the desktop portal" "$app/output.log" || fail "the log does not say how snapshots go"

# Input goes through the compositor's window on the Xvfb, at the window's place on XWayland.
click_through() {
    local info x y h
    find_window "Pelloran Snapwell.*" || fail "the window is gone"
    info=$(xwininfo -id "$WIN_ID")
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    h=$(sed -n 's/.*Height: *//p' <<<"$info")
    # From outside the compositor's window into it: it hears the pointer enter.
    DISPLAY=$OUTER xdotool mousemove 640 1000
    sleep 0.2
    DISPLAY=$OUTER xdotool mousemove $((x + $1 / 15 - 5)) $((y + h - 352 + $2 / 15 - 5))
    sleep 0.2
    DISPLAY=$OUTER xdotool mousemove $((x + $1 / 15)) $((y + h - 352 + $2 / 15))
    sleep 0.3
    DISPLAY=$OUTER xdotool mousedown 1
    sleep 0.1
    DISPLAY=$OUTER xdotool mouseup 1
}
clears() { grep -c "cleared on request" "$app/output.log" || true; }
# A click on a window behind another one may only raise it: then again.
start_stop() {
    local before=$(clears) try
    for try in 1 2 3; do
        click_through $((150 + 120 + 1065)) $((4140 + 90 + 217))
        wait_until 3 eval '[ $(clears) -gt '"$before"' ]' && return
    done
    echo "clicks at $(xwininfo -id "$WIN_ID" | grep -E 'Absolute|Height' | tr -s ' \n' ' ') missed;" \
        "pointer: $(DISPLAY=$OUTER xdotool getmouselocation)" >&2
    return 1
}

# A GTK program on the Wayland side copies at every key press; it takes the focus.
# A new window takes the focus.
gtk_window() {
    spawn env GDK_BACKEND=wayland /usr/bin/python3 "$SUPPORT_DIR/gtkowner.py" keys "$1" >"$E2E_DIR/$1.out" 2>&1
    wait_until 10 grep -q ready "$E2E_DIR/$1.out" || fail "no GTK window: $(cat "$E2E_DIR/$1.out")"
    sleep 0.5
}
gtk_window vorher
DISPLAY=$OUTER xdotool key a
wait_until 5 eval '[ "$(timeout 2 wl-paste -n 2>/dev/null)" = "vorher 01" ]' || fail "the GTK copy did not arrive"

# START empties both sides: what was copied before is not stored.
sleep 1
start_stop || fail "monitoring did not start: $(tail -n 3 "$app/output.log")"
wl_empty() { [ -z "$(timeout 2 wl-paste -n 2>/dev/null)" ]; }
x_empty() { [ -z "$(timeout 2 xclip -selection clipboard -o 2>/dev/null)" ]; }
wait_until 5 wl_empty || fail "START left the Wayland clipboard: $(timeout 2 wl-paste -n)"
wait_until 5 x_empty || fail "START left the X11 clipboard"
pass "START empties the Wayland and the X11 clipboard"
! grep -q "only to the window with the focus" "$app/output.log" || fail "the focus hint was shown on XWayland"

# Twenty copies 300 ms apart with the focus elsewhere: all stored, in order.
gtk_window Stück
expected="$E2E_DIR/expected"
for i in $(seq -w 1 20); do
    printf 'Stück %s\r\n%s\r\n\r\n' "$i" "$SEP" >>"$expected"
    DISPLAY=$OUTER xdotool key a
    sleep 0.3
done
expect_records "$expected" "20 GTK copies 300 ms apart"
pass "20 GTK copies 300 ms apart, focus elsewhere, all stored"

# A picture from the Wayland side (weston hands it over as text holding PNG bytes): stored as
# a picture or not at all, never as text.
convert -size 31x17 xc:red "$E2E_DIR/p.png"
before=$(size_of "$files/clipbrd.dat")
timeout 5 wl-copy --type image/png <"$E2E_DIR/p.png" || true
wait_until 10 eval 'grep -q "binary data offered as" "$app/output.log" || test -f "$files/00.bmp"' ||
    fail "the picture was neither refused nor stored: $(tail -n 5 "$app/output.log")"
sleep 1
[ "$(size_of "$files/clipbrd.dat")" = "$before" ] || fail "the picture was stored as text"
pass "a Wayland picture is stored as a picture or not at all, never as text"

# STOP empties both sides too.
DISPLAY=$OUTER xdotool key a
wait_until 5 eval '! wl_empty' || fail "the last GTK copy did not arrive"
start_stop || fail "monitoring did not stop"
wait_until 5 wl_empty || fail "STOP left the Wayland clipboard: $(timeout 2 wl-paste -n)"
wait_until 5 x_empty || fail "STOP left the X11 clipboard"
pass "STOP empties the Wayland and the X11 clipboard"

# As a native Wayland program (no data control here) it watches only with the focus, and
# says so.
find_window "Pelloran Snapwell" || fail "window gone"
win=$WIN_ID
close_app
: >"$app/output.log"
export QT_QPA_PLATFORM=wayland
start_program
wait_until 10 grep -q "clipboard watched through" "$app/output.log" || fail "no start as a Wayland program"
grep -q "toolkit on wayland (native Wayland without data control: only while the window has the focus)" \
    "$app/output.log" || fail "the log does not say focus-only: $(grep reader "$app/output.log")"
pass "as a native Wayland program the log says the focus limit"
