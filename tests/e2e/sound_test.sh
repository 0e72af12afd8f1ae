#!/usr/bin/env bash
# The confirmation tone reaches a real sound server: a private PulseAudio with a null sink,
# whose monitor is recorded while a piece is captured. With that server, whose sink takes
# its time, pieces copied in quick succession are all stored, in order: a fake sound output
# cannot show how the real one blocks.
. "$(dirname "$0")/lib.sh" "$@"

pulse="$E2E_DIR/pulse"
mkdir -p "$pulse"
cat >"$pulse/pa.pa" <<PA
load-module module-native-protocol-unix socket=$pulse/native auth-anonymous=1
load-module module-null-sink sink_name=nullsink rate=22050
set-default-sink nullsink
PA
export PULSE_RUNTIME_PATH="$pulse" PULSE_STATE_PATH="$pulse" HOME="$E2E_DIR"
spawn pulseaudio -n -F "$pulse/pa.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no >"$pulse/log" 2>&1
export PULSE_SERVER="unix:$pulse/native"
wait_until 10 pactl info >/dev/null 2>&1 || fail "sound server did not start: $(cat "$pulse/log")"

start_app

# Silence first, then start recording the sink's monitor; parec needs a moment to deliver.
raw="$E2E_DIR/out.raw"
spawn parec --latency-msec=20 --device=nullsink.monitor --format=s16le --rate=22050 --channels=1 "$raw"
rec=$BG_PID
wait_until 10 grown "$raw" 4001 || fail "parec delivers nothing"

start_monitoring
clip_text "Ton bitte"
wait_until 10 test -s "$files/clipbrd.dat" || fail "piece not stored"
sleep 1
kill "$rec"
wait "$rec" 2>/dev/null || true

stats=$(sox -t raw -r 22050 -e signed -b 16 -c 1 "$raw" -n stat 2>&1)
amp=$(echo "$stats" | sed -n 's/^Maximum amplitude: *//p')
freq=$(echo "$stats" | sed -n 's/^Rough   frequency: *//p')
awk -v a="$amp" 'BEGIN { exit !(a > 0.2) }' || fail "no tone recorded (amplitude $amp)"
awk -v f="$freq" 'BEGIN { exit !(f > 1000 && f < 2500) }' || fail "not our tone (rough frequency $freq Hz)"

# The tone of one capture lasts about 60 ms: its loud part is short, not a stuck stream.
loud=$(sox -t raw -r 22050 -e signed -b 16 -c 1 "$raw" -t dat - 2>/dev/null |
    awk '!/^;/ && ($2 > 0.05 || $2 < -0.05) { n++ } END { print n + 0 }')
[ "$loud" -gt 200 ] && [ "$loud" -lt 4000 ] || fail "tone length off: $loud loud samples"
pass "confirmation tone played through the sound server"

# Fifteen pieces 0.8 s apart with the sound on: the tones never hold up the next read.
: >"$E2E_DIR/expected"
first=$(size_of "$files/clipbrd.dat")
for i in $(seq -w 1 15); do
    printf 'Stück %s mit Ton' "$i" >"$E2E_DIR/piece$i"
    append_record "$E2E_DIR/piece$i" >>"$E2E_DIR/expected"
    clip_file "$E2E_DIR/piece$i" text/plain
    sleep 0.8
done
expect_records "$E2E_DIR/expected" "sound on" "$first"
pass "15 pieces 0.8 s apart with the sound on, all stored in order"
