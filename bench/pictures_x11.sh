#!/usr/bin/env bash
# Pictures through the real X11 clipboard: the program under Xvfb, xclip as the other program.
# Prints figures; never fails on speed.
# Usage: bench/pictures_x11.sh build/snapwell
# BENCH_QUICK=1 leaves out the two 20-second CPU measurements.
. "$(dirname "$0")/../tests/e2e/lib.sh" "$@"
start_xvfb
app="$E2E_DIR/app"
start_program "$app"
win=$(wait_window "Pelloran Snapwell")
click_start_stop "$win"
wait_until 5 bash -c "xdotool getwindowname $win | grep -q 'A K T I V'" || fail "monitoring did not start"

pic="$E2E_DIR/picture.png"
convert -seed 3 -size 1920x1080 plasma:fractal -depth 8 -alpha off "$pic"
echo "picture 1920 x 1080, PNG $(stat -c %s "$pic") bytes"

# From the moment xclip offers the picture until the program has stored it and emptied the
# clipboard (xclip, no longer owner, ends then). Includes xclip's own start.
runs=()
for i in $(seq 1 10); do
    start=$(date +%s%N)
    xclip -selection clipboard -i -quiet -t image/png "$pic" >/dev/null 2>&1 &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do sleep 0.002; done
    runs+=($((($(date +%s%N) - start) / 1000)))
done
printf '%s\n' "${runs[@]}" | sort -n | awk '{a[NR]=$1} END {printf "xclip offers PNG -> .bmp stored, clipboard empty: median %.1f ms (min %.1f, max %.1f)\n", a[int((NR+1)/2)]/1000, a[1]/1000, a[NR]/1000}'
ls "$app/Files" | grep -c '\.bmp$' | sed 's/^/bitmaps stored: /'

ticks() { awk '{print $14 + $15}' "/proc/$APP_PID/stat"; }
hz=$(getconf CLK_TCK)
cpu() {
    local before after
    before=$(ticks)
    sleep 20
    after=$(ticks)
    awk -v t=$((after - before)) -v hz="$hz" -v what="$1" \
        'BEGIN {printf "CPU of the program over 20 s, %s: %.0f ms (%.2f %% of one core)\n", what, t * 1000 / hz, t * 100 / hz / 20}'
}
[ -n "${BENCH_QUICK:-}" ] && exit 0
cpu "monitoring an empty clipboard"

# A picture that stays on the clipboard because the collection directory is gone: the
# program's CPU time over 20 s shows whether ticks read it again.
mv "$app/Files" "$app/Files.away"
xclip -selection clipboard -i -quiet -t image/png "$pic" >/dev/null 2>&1 &
sleep 1
cpu "an unchanged picture it cannot store"
mv "$app/Files.away" "$app/Files"
