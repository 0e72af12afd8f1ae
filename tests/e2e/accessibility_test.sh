#!/usr/bin/env bash
# The main window as an assistive tool sees it: its name follows the caption through START,
# the blink and STOP.
. "$(dirname "$0")/lib.sh" "$@"

start_xvfb
# A session bus of the test's own, which starts the accessibility bus on demand.
spawn dbus-daemon --session --nofork --nopidfile --address="unix:path=$E2E_DIR/bus" --print-address=3 \
    3>"$E2E_DIR/bus.address" 2>/dev/null
wait_until 5 test -s "$E2E_DIR/bus.address" || fail "no session bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$E2E_DIR/bus.address") QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# The tool listens before the program starts, as a screen reader of the session does.
names="$E2E_DIR/names"
spawn /usr/bin/python3 "$SUPPORT_DIR/atspiname.py" snapwell >"$names" 2>"$E2E_DIR/atspi.log"
wait_until 20 grep -qx listening "$names" || fail "no accessibility bus: $(cat "$E2E_DIR/atspi.log")"
start_app
wait_until 20 grep -qx "'Pelloran Snapwell'" "$names" ||
    fail "the window is not seen by assistive tools: $(cat "$names" "$E2E_DIR/atspi.log")"

start_monitoring
wait_until 5 grep -qx "'Pelloran Snapwell   A K T I V'" "$names" ||
    fail "the name does not follow the blinking caption: $(cat "$names")"
click_start_stop "$win"
# Stopped: the caption and the name stay as they are.
wait_until 5 eval '[ "$(tail -n 1 "$names")" = "'"'Pelloran Snapwell'"'" ]' || fail "name after STOP: $(tail -n 1 "$names")"
lines=$(wc -l <"$names")
sleep 1.5
[ "$(wc -l <"$names")" = "$lines" ] || fail "the name changes after STOP: $(tail -n 3 "$names")"
[ "$(xdotool getwindowname "$win")" = "Pelloran Snapwell" ] || fail "caption after STOP"
pass "the window's accessible name follows its caption"
