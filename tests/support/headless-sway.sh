#!/usr/bin/env bash
# Runs a headless sway on the private runtime directory $1 until it is ended. Clients use
# WAYLAND_DISPLAY=$1/wayland-1 and SWAYSOCK=$1/ipc.sock once those appear: both sockets lie
# in the run's own directory, so parallel runs never meet.
set -euo pipefail
run=$1
install -d -m 700 "$run"
cat >"$run/sway.conf" <<CONF
xwayland disable
output HEADLESS-1 resolution 1280x800 position 0 0
focus_follows_mouse no
for_window [app_id=".*"] floating enable
CONF
export XDG_RUNTIME_DIR=$run WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman
unset DISPLAY WAYLAND_DISPLAY
export SWAYSOCK=$run/ipc.sock
# sway refuses to run as root; in a user namespace of its own it is nobody.
exec unshare -U sway -c "$run/sway.conf"
