#!/usr/bin/env bash
# Runs an Xvfb of its own until it is ended, and prints its display (":N") once the server
# answers. The server takes a free display itself (-displayfd). Servers of parallel runs that
# start at the same moment can still trip over each other, so a server that ends or does not
# answer is replaced, up to five times; then this fails (exit 1).
# Usage: xvfb.sh [WIDTHxHEIGHTxDEPTH]
set -uo pipefail
screen=${1:-1280x1024x24}
dir=$(mktemp -d /tmp/snapwell-xvfb.XXXXXX)
server=
trap '[ -z "$server" ] || { kill "$server"; wait "$server"; } 2>/dev/null; rm -rf "$dir"' EXIT
trap 'exit 0' TERM INT HUP
for attempt in 1 2 3 4 5; do
    # No reset when the last client leaves: the check below is the first client, and the
    # test's programs must not connect while the server restarts.
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$dir/display" >"$dir/log" 2>&1 &
    server=$!
    for _ in $(seq 100); do
        [ -s "$dir/display" ] || ! kill -0 "$server" 2>/dev/null && break
        sleep 0.1
    done
    n=$(tr -dc 0-9 <"$dir/display")
    if [ -n "$n" ] && DISPLAY=":$n" timeout 5 xdotool getdisplaygeometry >/dev/null 2>&1 &&
        kill -0 "$server" 2>/dev/null; then
        echo ":$n"
        wait "$server"
        echo "xvfb.sh: the server on :$n ended: $(tail -n 3 "$dir/log")" >&2
        server=
        exit 1
    fi
    echo "xvfb.sh: attempt $attempt: no server ($(tail -n 1 "$dir/log"))" >&2
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    server=
    : >"$dir/display"
done
exit 1
