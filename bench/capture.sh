#!/usr/bin/env bash
# Capture benchmarks under a private Xvfb: the tick cost with an unchanged 10 MB text owned
# by another program, and the CPU time of the running program over 60 s (set SECONDS_RUN to
# change). Prints figures; never fails on speed.
# Usage: bench/capture.sh <build dir>
set -euo pipefail
build=$(readlink -f "${1:-build}")
work=$(mktemp -d /tmp/snapwell-bench.XXXXXX)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime" PULSE_SERVER="unix:$work/none"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# An Xvfb of its own; it names its display once it answers.
coproc XVFB { exec bash "$(dirname "$0")/../tests/support/xvfb.sh"; }
pids+=("$XVFB_PID")
read -r DISPLAY <&"${XVFB[0]}" || { echo "no X server could be started" >&2; exit 1; }
export DISPLAY

"$build/bench/bench_capture_tick"

# The whole program, idle with a 10 MB text on the clipboard.
mkdir -p "$work/app"
cp "$build/snapwell" "$work/app/"
(cd "$work/app" && exec ./snapwell >/dev/null 2>&1) &
app=$!
pids+=("$app")
for _ in $(seq 50); do xdotool search --name '^Pelloran Snapwell$' >/dev/null 2>&1 && break; sleep 0.1; done
win=$(xdotool search --name '^Pelloran Snapwell$' | head -n 1)
h=$(xdotool getwindowgeometry --shell "$win" | sed -n 's/^HEIGHT=//p')
xdotool mousemove --window "$win" 89 $((296 + h - 352)) click 1
sleep 0.5
head -c 7500000 /dev/urandom | base64 >"$work/big.txt"
xclip -selection clipboard -i -quiet "$work/big.txt" >/dev/null 2>&1 &
pids+=($!)
sleep 2
# CPU time of all its threads in nanoseconds (the tick counts of /proc/PID/stat are too coarse).
cpu() { cat /proc/"$app"/task/*/schedstat | awk '{ s += $1 } END { printf "%d", s }'; }
run=${SECONDS_RUN:-60}
c0=$(cpu)
sleep "$run"
c1=$(cpu)
rss=$(awk '/VmRSS/ { print $2 }' "/proc/$app/status")
awk -v c=$((c1 - c0)) -v s="$run" -v r="$rss" -v l="$(cut -d' ' -f1-3 /proc/loadavg)" \
    'BEGIN { printf "program over %d s with a 10 MB text on the clipboard: %.0f ms CPU = %.3f %% of one core; resident %d KiB (load %s)\n", s, c / 1e6, 100 * c / 1e9 / s, r, l }'
