#!/usr/bin/env bash
# A session bus of its own in directory $1 with the fake screenshot portal on it, answering as
# the file $1/portal-mode says. Prints the bus address once the portal has its name; runs
# until ended.
set -euo pipefail
dir=$1
dbus-daemon --session --nofork --nopidfile --address="unix:path=$dir/bus" --print-address=3 3>"$dir/address" 2>/dev/null &
daemon=$!
trap 'kill $daemon 2>/dev/null' EXIT
for _ in $(seq 50); do [ -s "$dir/address" ] && break; sleep 0.1; done
export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$dir/address")
/usr/bin/python3 "$(dirname "$0")/fakeportal.py" "$dir/portal-mode" | while read -r line; do
    [ "$line" = ready ] && echo "$DBUS_SESSION_BUS_ADDRESS"
done
