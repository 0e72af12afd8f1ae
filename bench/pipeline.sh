#!/usr/bin/env bash
# The capture pipeline of the whole program, under a private Xvfb with a private PulseAudio
# (null sink) and the sound on: pieces stored of 60 copied 20 ms apart, CPU per stored text,
# resident memory after six 20 MB pieces, and the CPU of 30 s of ticks on an empty
# clipboard. Prints figures; never fails on speed.
# With the build directory's freeze benchmark beside the program, also the longest freeze of
# the window's thread during a capture run with the sound on.
# Usage: bench/pipeline.sh <program>
set -euo pipefail
prog=$(readlink -f "${1:-build/snapwell}")
work=$(mktemp -d /tmp/snapwell-bench.XXXXXX)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" HOME="$work"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# An Xvfb of its own; it names its display once it answers.
coproc XVFB { exec bash "$(dirname "$0")/../tests/support/xvfb.sh"; }
pids+=("$XVFB_PID")
read -r DISPLAY <&"${XVFB[0]}" || { echo "no X server could be started" >&2; exit 1; }
export DISPLAY
pulse="$work/pulse"
mkdir -p "$pulse"
printf 'load-module module-native-protocol-unix socket=%s/native auth-anonymous=1\nload-module module-null-sink sink_name=nullsink\nset-default-sink nullsink\n' "$pulse" >"$pulse/pa.pa"
PULSE_RUNTIME_PATH="$pulse" PULSE_STATE_PATH="$pulse" \
    pulseaudio -n -F "$pulse/pa.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no >/dev/null 2>&1 &
pids+=($!)
export PULSE_SERVER="unix:$pulse/native"
sleep 1

freeze="$(dirname "$prog")/bench/bench_capture_freeze"
if [ -x "$freeze" ]; then
    "$freeze" 2>/dev/null
fi

mkdir -p "$work/app"
cp "$prog" "$work/app/snapwell"
printf '[Pelloran Snapwell]\r\nSignale=1\r\nTrennlinie=0\r\n' >"$work/app/snapwell.ini"
(cd "$work/app" && exec ./snapwell >/dev/null 2>&1) &
app=$!
pids+=("$app")
for _ in $(seq 50); do xdotool search --name '^Pelloran Snapwell$' >/dev/null 2>&1 && break; sleep 0.1; done
win=$(xdotool search --name '^Pelloran Snapwell$' | head -n 1)
h=$(xdotool getwindowgeometry --shell "$win" | sed -n 's/^HEIGHT=//p')
xdotool mousemove --window "$win" 89 $((296 + h - 352)) click 1
sleep 1
dat="$work/app/Files/clipbrd.dat"
ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "/proc/$app/stat"; }
rss() { awk '/VmRSS/ { print $2 }' "/proc/$app/status"; }

# Idle: monitoring, empty clipboard, 30 s of ticks.
c0=$(cpu)
sleep 30
c1=$(cpu)
awk -v c=$((c1 - c0)) -v t="$ticks" 'BEGIN { printf "ticks on an empty clipboard, 30 s: %.0f ms CPU\n", 1000 * c / t }'

# 60 pieces 20 ms apart.
c0=$(cpu)
for i in $(seq -w 1 60); do
    printf 'Stück %s' "$i" | xclip -selection clipboard -i -quiet >/dev/null 2>&1 &
    pids+=($!)
    sleep 0.02
done
sleep 5
c1=$(cpu)
stored=$(grep -c '^Stück' "$dat" || true)
awk -v c=$((c1 - c0)) -v t="$ticks" -v s="$stored" \
    'BEGIN { printf "60 pieces 20 ms apart: %d stored, %.1f ms CPU per stored text\n", s, s ? 1000 * c / t / s : 0 }'

# Six 20 MB pieces.
for i in 1 2 3 4 5 6; do
    head -c 15000000 /dev/urandom | base64 -w 0 >"$work/big"
    xclip -selection clipboard -i -quiet "$work/big" >/dev/null 2>&1 &
    pids+=($!)
    sleep 4
done
sleep 3
echo "resident memory after six 20 MB pieces: $(rss) KiB (clipbrd.dat $(stat -c %s "$dat") bytes)"
