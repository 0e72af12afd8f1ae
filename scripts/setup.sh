#!/usr/bin/env bash
# Installs the Debian packages Snapwell needs, in two sets:
#   --runtime  what building and running the program need (scripts/run.sh);
#   --test     what the tests, the checks and the Debian package add: the X and Wayland
#              servers, the sound server, the clients the tests drive, lints, packaging tools
#              (scripts/test.sh, check.sh and package.sh install both sets, and so does CI).
# Without an argument both. Packages already present are left alone. As root it installs
# with apt-get, otherwise through sudo; without sudo it names the missing packages and the
# command that installs them, and fails. A sound server is never installed onto a desktop
# where one runs: the user's own setup plays the sound.
set -uo pipefail

runtime_packages=(
    # build
    g++ cmake ninja-build pkg-config qt6-base-dev libpulse-dev libxcb1-dev libxcb-xfixes0-dev
    libwayland-dev libwayland-bin libqscintilla2-qt6-dev
    # running (qt6-wayland: native on Wayland desktops that offer data control)
    fonts-liberation fonts-dejavu-core qt6-wayland
    # vector pictures on the clipboard (image/svg+xml) are rendered by its image plugin
    libqt6svg6
    # Qt's own German texts (context menus, standard buttons), colour emoji in copied texts
    qt6-translations-l10n fonts-noto-color-emoji
)
test_packages=(
    # the tests' build and the format check (scripts/check.sh)
    libgtest-dev libx11-dev clang-format
    # the Debian package and its checks (scripts/package.sh); icons drawn from the SVG
    dpkg-dev debhelper lintian desktop-file-utils appstream man-db librsvg2-bin
    # headless desktop and tests
    xvfb xauth xclip xdotool imagemagick pulseaudio pulseaudio-utils sox
    # headless Wayland desktop, its clipboard tools, and a private session bus for the portal
    sway wl-clipboard dbus-daemon python3-dbus python3-gi
    # a GTK program's clipboard in the end-to-end tests
    gir1.2-gtk-3.0
    # the main window as an assistive tool sees it
    python3-pyatspi
    # compositors whose clipboard reaches X programs through XWayland, in the end-to-end tests
    weston mutter xwayland
)
# What a running sound server already provides.
sound_servers=(pulseaudio)

wanted=()
for arg in "$@"; do
    case $arg in
    --runtime) wanted+=("${runtime_packages[@]}") ;;
    --test) wanted+=("${test_packages[@]}") ;;
    *)
        echo "usage: $0 [--runtime] [--test]" >&2
        exit 2
        ;;
    esac
done
[ $# -gt 0 ] || wanted=("${runtime_packages[@]}" "${test_packages[@]}")

declare -A installed=()
while read -r name state; do
    [ "$state" = installed ] && installed[$name]=1
done < <(dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${wanted[@]}" 2>/dev/null)

uid=$(id -u)
# The user's sound server (PulseAudio or PipeWire's PulseAudio service): its process, or its
# socket where the desktop keeps it.
sound_server_runs() {
    local user_uid=${SUDO_UID:-$uid}
    if command -v pgrep >/dev/null && pgrep -u "$user_uid" -x 'pulseaudio|pipewire-pulse' >/dev/null; then
        return 0
    fi
    [ -S "${XDG_RUNTIME_DIR:-/run/user/$user_uid}/pulse/native" ]
}

declare -A seen=()
missing=()
left_out=()
for p in "${wanted[@]}"; do
    [ -z "${seen[$p]:-}" ] || continue
    seen[$p]=1
    [ -z "${installed[$p]:-}" ] || continue
    if [[ " ${sound_servers[*]} " == *" $p "* ]] && sound_server_runs; then
        left_out+=("$p")
    else
        missing+=("$p")
    fi
done

if [ ${#left_out[@]} -gt 0 ]; then
    echo "setup: a sound server runs for this user, so ${left_out[*]} is not installed;" \
        "the sound end-to-end tests need it and fail without it" >&2
fi
[ ${#missing[@]} -gt 0 ] || exit 0

install=(apt-get install -y -qq --no-install-recommends "${missing[@]}")
if [ "$uid" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null; then
    sudo=(sudo env DEBIAN_FRONTEND=noninteractive)
else
    echo "setup: these Debian packages are missing: ${missing[*]}" >&2
    echo "setup: install them as root, then run this again:" >&2
    echo "  su -c 'apt-get update && apt-get install --no-install-recommends ${missing[*]}'" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq || exit 1
"${sudo[@]}" "${install[@]}"
