#!/usr/bin/env bash
# The main window's own costs under a private Xvfb, sound off: CPU of 30 s of monitoring with
# an unchanged text on the clipboard (all threads: /proc/PID/stat in clock ticks, and in
# nanoseconds from a cpuacct group of its own where one can be made, else from the threads
# alive at both ends), CPU per stored small text for 20 pieces 300 ms apart and for 60 pieces 20 ms apart,
# and pictures of the captured-text panel showing the collected text after 3 and after 25
# pieces (to compare two builds pixel for pixel). Prints figures; never fails on speed.
# Usage: bench/mainwindow.sh <program> [directory for the panel pictures]
set -euo pipefail
prog=$(readlink -f "${1:-build/snapwell}")
shots=${2:-}
work=$(mktemp -d /tmp/snapwell-bench.XXXXXX)
pids=()
cg=
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null; rm -rf "$work"
      [ -z "$cg" ] || rmdir "$cg"' EXIT
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" HOME="$work" PULSE_SERVER="unix:$work/none"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
coproc XVFB { exec bash "$(dirname "$0")/../tests/support/xvfb.sh"; }
pids+=("$XVFB_PID")
read -r DISPLAY <&"${XVFB[0]}" || { echo "no X server could be started" >&2; exit 1; }
export DISPLAY

mkdir -p "$work/app"
cp "$prog" "$work/app/snapwell"
printf '[Pelloran Snapwell]\r\nSignale=0\r\n' >"$work/app/snapwell.ini"
(cd "$work/app" && exec ./snapwell >/dev/null 2>&1) &
app=$!
pids+=("$app")
for _ in $(seq 50); do xdotool search --name '^Pelloran Snapwell$' >/dev/null 2>&1 && break; sleep 0.1; done
win=$(xdotool search --name '^Pelloran Snapwell$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$win")"
menu=$((HEIGHT - 352))
xdotool mousemove --window "$win" 89 $((296 + menu)) click 1
# The pointer away from the window, so that no hover changes what is compared.
xdotool mousemove 1200 1000
sleep 1
# Threads that end (a pool's idle ones) take their run time along; a group of its own keeps it.
if mkdir "/sys/fs/cgroup/cpuacct/snapwell-bench.$$" 2>/dev/null; then
    cg="/sys/fs/cgroup/cpuacct/snapwell-bench.$$"
    echo "$app" >"$cg/cgroup.procs"
fi
dat="$work/app/Files/clipbrd.dat"
ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "/proc/$app/stat"; }
exact() {
    if [ -n "$cg" ]; then
        cat "$cg/cpuacct.usage"
    else
        cat /proc/"$app"/task/*/schedstat | awk '{ s += $1 } END { printf "%d", s }'
    fi
}
copy() { printf '%s' "$1" | xclip -selection clipboard -i -quiet >/dev/null 2>&1 & pids+=($!); }
# The captured-text panel, 366 x 265 pixels at (184, 7) of the client area.
shot() { [ -z "$shots" ] || import -window root -crop "366x265+$((X + 184))+$((Y + menu + 7))" +repage "$shots/$1.png"; }

# The box shows the collected text from a piece's storing until the next tick, which shows
# the clipboard's text again: each picture piece is copied right after a blink.
after_tick() {
    local was
    was=$(xdotool getwindowname "$win")
    while [ "$(xdotool getwindowname "$win")" = "$was" ]; do sleep 0.01; done
}
for i in $(seq -w 1 25); do
    after_tick
    copy "Bild $i"
    sleep 0.25
    case $i in 03) shot three ;; 25) shot many ;; esac
done

copy "unverändert"
sleep 2
# The threads' run time counts only threads alive at both ends.
tids() { ls "/proc/$app/task" | sort | tr '\n' ' '; }
t0=$(tids)
c0=$(cpu) e0=$(exact)
sleep 30
c1=$(cpu) e1=$(exact)
[ -n "$cg" ] || [ "$(tids)" = "$t0" ] || echo "(threads came or went: the run time below misses theirs)"
awk -v c=$((c1 - c0)) -v e=$((e1 - e0)) -v t="$ticks" \
    'BEGIN { printf "idle, monitoring, unchanged clipboard, 30 s: %.1f ms CPU (stat: %.0f ms)\n", e / 1e6, 1000 * c / t }'

stored() { grep -c "^$1" "$dat" || true; }
# Copies count pieces gap seconds apart, waits settle seconds, and prints the CPU per stored text.
burst() {
    local word=$1 count=$2 gap=$3 settle=$4 c0 e0 c1 e1 n
    c0=$(cpu) e0=$(exact)
    for i in $(seq -w 1 "$count"); do
        copy "$word $i"
        sleep "$gap"
    done
    sleep "$settle"
    c1=$(cpu) e1=$(exact)
    n=$(stored "$word")
    awk -v c=$((c1 - c0)) -v e=$((e1 - e0)) -v t="$ticks" -v s="$n" -v what="$count pieces $gap s apart" \
        'BEGIN { printf "%s: %d stored, %.2f ms CPU per stored text (stat %.1f)\n", what, s, s ? e / 1e6 / s : 0, s ? 1000 * c / t / s : 0 }'
}
burst Langsam 20 0.3 2
burst Schnell 60 0.02 5
