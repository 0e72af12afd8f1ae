# Shared helpers of the end-to-end tests: a private Xvfb, the real program started from a
# private copy (so its profile and collection directory are the test's own), and checks.
# Source it with: . "$(dirname "$0")/lib.sh" "$@"
set -euo pipefail

# Arguments: the program, the X11 clipboard owner (also the window manager's stand-in), the
# Wayland test client and another program's window.
SNAPWELL_BIN=$(readlink -f "$1")
OWNER_BIN=$(readlink -f "${2:-/nonexistent}")
WLTOOL_BIN=$(readlink -f "${3:-/nonexistent}")
FOCUS_BIN=$(readlink -f "${4:-/nonexistent}")
# A program built with a sanitizer runs several times slower: bounds on how long it may keep
# a window unanswered are stretched by this factor.
SLOWDOWN=1
ldd "$SNAPWELL_BIN" 2>/dev/null | grep -qE 'lib(t|a)san' && SLOWDOWN=4
E2E_DIR=$(mktemp -d /tmp/snapwell-e2e.XXXXXX)
export XDG_RUNTIME_DIR="$E2E_DIR/runtime"
export XDG_CONFIG_HOME="$E2E_DIR/config"
export XDG_DATA_HOME="$E2E_DIR/data"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY SWAYSOCK DISPLAY
SUPPORT_DIR=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../support
# No sound server unless a test starts one.
export PULSE_SERVER="unix:$E2E_DIR/no-pulse"
app="$E2E_DIR/app"
files="$app/Files"
SEP=$(printf '~%.0s' $(seq 1 49))

e2e_cleanup() {
    # Only the background jobs still running: the number of a process that ended long ago
    # (an xclip whose clipboard was taken over) may belong to anybody's process by now, as
    # process numbers wrap within minutes on a busy machine.
    kill $(jobs -pr) 2>/dev/null || true
    wait 2>/dev/null || true
    # Built with a sanitizer: whatever it reported in any run of the program fails the test.
    local reports
    reports=$(grep -rlsaE '^(WARNING|ERROR): (Thread|Address|Leak)Sanitizer|runtime error:' "$E2E_DIR" || true)
    if [ -n "$reports" ]; then
        echo "FAIL: sanitizer reports in: $reports" >&2
        cat $reports >&2
        E2E_KEEP=1
        trap - EXIT
        exit 1
    fi
    [ "${E2E_KEEP:-0}" = 1 ] && echo "kept $E2E_DIR" >&2 || rm -rf "$E2E_DIR"
}
trap e2e_cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
pass() { echo "PASS: $*"; }
# Runs a command in the background, ended with the test; sets BG_PID.
spawn() { "$@" & BG_PID=$!; }

# Starts an Xvfb of the test's own and exports DISPLAY; fails when none starts.
start_xvfb() {
    spawn bash "$SUPPORT_DIR/xvfb.sh" >"$E2E_DIR/display" 2>>"$E2E_DIR/xvfb.log"
    wait_until 60 eval "test -s '$E2E_DIR/display' || ended $BG_PID" || true
    DISPLAY=$(head -n 1 "$E2E_DIR/display")
    [ -n "$DISPLAY" ] || fail "no X server could be started: $(cat "$E2E_DIR/xvfb.log")"
    export DISPLAY
}

# Starts a headless sway of the test's own and exports WAYLAND_DISPLAY and SWAYSOCK; fails
# when it does not start.
start_sway() {
    spawn bash "$SUPPORT_DIR/headless-sway.sh" "$E2E_DIR/sway" >"$E2E_DIR/sway.log" 2>&1
    export WAYLAND_DISPLAY="$E2E_DIR/sway/wayland-1" SWAYSOCK="$E2E_DIR/sway/ipc.sock"
    # The control socket answers once the display socket listens.
    wait_until 10 eval "swaymsg -t get_version >/dev/null 2>&1" ||
        fail "headless sway did not start: $(tail -n 5 "$E2E_DIR/sway.log")"
}

# Starts a compositor ($1: weston or mutter) with XWayland as a window of a private Xvfb;
# exports WAYLAND_DISPLAY and DISPLAY (XWayland's, with its XAUTHORITY where it has one) and
# keeps the Xvfb's display in OUTER for input; fails when it does not start.
start_compositor() {
    local out="$E2E_DIR/$1.out"
    start_xvfb
    OUTER=$DISPLAY
    spawn bash "$SUPPORT_DIR/$1.sh" "$E2E_DIR/$1" >"$out" 2>"$E2E_DIR/$1.err"
    wait_until 30 eval "[ \$(wc -l <'$out') -ge 2 ] || ended $BG_PID" || true
    [ "$(wc -l <"$out")" -ge 2 ] || fail "$1 did not start: $(cat "$E2E_DIR/$1.err")"
    export WAYLAND_DISPLAY=$(sed -n 1p "$out") DISPLAY=$(sed -n 2p "$out")
    [ -z "$(sed -n 3p "$out")" ] || export XAUTHORITY=$(sed -n 3p "$out")
}

# Copies the program into $app and starts it there with the arguments given; sets APP_PID.
start_program() {
    mkdir -p "$app"
    cp "$SNAPWELL_BIN" "$app/snapwell"
    (cd "$app" && exec ./snapwell "$@" >>output.log 2>&1) &
    APP_PID=$!
}

# Starts the program in $app with the arguments given, on an Xvfb of the test's own, and
# waits for its window; sets win.
start_app() {
    [ -n "${DISPLAY:-}" ] || start_xvfb
    start_program "$@"
    win=$(wait_window "Pelloran Snapwell")
}

# Waits until the window has handled a click on START (its caption changed: a build with a
# sanitizer takes a moment); sets caption to the first caption after it.
caption_changed() { caption=$(xdotool getwindowname "$1"); [ "$caption" != "Pelloran Snapwell" ]; }
wait_start_handled() { wait_until 5 caption_changed "$1" || fail "the caption did not change after START"; }

# "S T A R T" and waits until the caption blinks.
start_monitoring() {
    click_start_stop "$win"
    wait_until 5 bash -c "xdotool search --name 'A K T I V' >/dev/null" || fail "monitoring did not start"
}

ended() { ! kill -0 "$1" 2>/dev/null; }
visible() { xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | grep -qx "$1"; }
size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }
grown() { [ "$(size_of "$1")" -ge "$2" ]; }

# Closes the window and waits until the program has ended.
close_app() {
    wm_close "$win"
    wait_until 10 ended "$APP_PID" || fail "program did not end after closing"
}

# Waits until clipbrd.dat holds, after its first $3 bytes (default none), as much as the
# expected file $1, then compares; $2 names the case.
expect_records() {
    local dat="$files/clipbrd.dat" size=$((${3:-0} + $(size_of "$1")))
    wait_until 30 grown "$dat" "$size" || fail "clipbrd.dat has $(size_of "$dat") of $size bytes ($2)"
    tail -c +$((${3:-0} + 1)) "$dat" | cmp - "$1" || fail "clipbrd.dat differs from the pieces ($2)"
}

# Pixels that differ between two pictures (by more than the given fuzz).
differing() {
    compare -fuzz "${3:-0}" -metric AE "$1" "$2" null: 2>&1 | awk '{print $1}' || true
}

# Waits until a visible window with the given name exists; prints its id.
wait_window() {
    wait_until 10 find_window "$1" || fail "window '$1' did not appear"
    echo "$WIN_ID"
}
find_window() { WIN_ID=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1); [ -n "$WIN_ID" ]; }

# Waits until a condition (a shell command) holds, for up to $1 seconds.
wait_until() {
    local n=$(($1 * 10))
    shift
    until "$@"; do
        ((n-- > 0)) || return 1
        sleep 0.1
    done
}

# Closes a window as a window manager would.
wm_close() { "$OWNER_BIN" close "$1"; }

# Clicks at window coordinates.
click_at() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

# Puts text on the clipboard from another program; xclip keeps serving it in the background.
clip_text() { xclip -selection clipboard -i -quiet < <(printf '%s' "$1") >/dev/null 2>&1 & }

# Sets BG_PID: xclip ends once another owner, or the program emptying it, takes the clipboard.
clip_file() { spawn xclip -selection clipboard -i -quiet -t "$2" "$1" >/dev/null 2>&1; }

# Clicks the main window's control at client-area twips (x, y): the client area lies
# under the menu bar, whose height is what the window has beyond 352 pixels. On sway the
# pointer device clicks instead.
click_client_twips() {
    local x y w h f
    if [ -n "${SWAYSOCK:-}" ]; then
        read -r x y w h f < <(sway_window 'Pelloran Snapwell.*') || fail "main window not shown"
        swaymsg -q seat - cursor set $((x + $2 / 15)) $((y + h - 352 + $3 / 15))
        swaymsg -q seat - cursor press button1
        swaymsg -q seat - cursor release button1
    else
        h=$(xdotool getwindowgeometry --shell "$1" | sed -n 's/^HEIGHT=//p')
        click_at "$1" $(($2 / 15)) $(($3 / 15 + h - 352))
    fi
}

# Controls of the main window, by their centres in twips.
click_start_stop() { click_client_twips "$1" $((150 + 120 + 1065)) $((4140 + 90 + 217)); }
click_textdaten() { click_client_twips "$1" $((2760 + 120 + 1275)) $((4140 + 90 + 217)); }
click_screenshot() { click_client_twips "$1" $((150 + 120 + 1072)) $((1980 + 120 + 300)); }

# Expected collection-file record of a piece (a file) with the default separator line.
append_record() {
    cat "$1"
    printf '\r\n%s\r\n\r\n' "$SEP"
}

# A window on sway by its title (a regular expression): "x y width height focused" of its
# content, in output coordinates.
sway_window() {
    swaymsg -t get_tree | /usr/bin/python3 -c '
import json, re, sys
def walk(n):
    if n.get("pid") and re.fullmatch(sys.argv[1], n.get("name") or ""):
        r, w = n["rect"], n["window_rect"]
        print(r["x"] + w["x"], r["y"] + w["y"], w["width"], w["height"], int(n["focused"]))
        sys.exit(0)
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        walk(c)
walk(json.load(sys.stdin))
sys.exit(1)' "$1"
}
