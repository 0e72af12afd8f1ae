#!/usr/bin/env bash
# XWayland under mutter: see xwayland.sh.
COMPOSITOR=mutter
. "$(dirname "$0")/xwayland.sh" "$@"
