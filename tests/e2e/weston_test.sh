#!/usr/bin/env bash
# XWayland under weston: see xwayland.sh.
COMPOSITOR=weston
. "$(dirname "$0")/xwayland.sh" "$@"
