#!/usr/bin/env bash
# Installs every Debian package needed to build, run and test Snapwell.
# Idempotent: packages already present are left alone. Works as root or through sudo.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build pkg-config qt6-base-dev libpulse-dev libgtest-dev libx11-dev libxcb1-dev libxcb-xfixes0-dev
  libwayland-dev libwayland-bin libqscintilla2-qt6-dev
  # format check (scripts/check.sh)
  clang-format
  # running (qt6-wayland: native on Wayland desktops that offer data control)
  fonts-liberation fonts-dejavu-core qt6-wayland
  # Qt's own texts (context menus, standard buttons) in German
  qt6-translations-l10n
  # vector pictures on the clipboard (image/svg+xml) are rendered by its image plugin
  libqt6svg6
  # Qt's own German texts (standard buttons), colour emoji in copied texts
  qt6-translations-l10n fonts-noto-color-emoji
  # the Debian package and its checks (scripts/package.sh); icons drawn from the SVG
  dpkg-dev lintian desktop-file-utils appstream man-db librsvg2-bin
  # headless desktop and tests
  xvfb xauth xclip xdotool imagemagick pulseaudio pulseaudio-utils sox
  # headless Wayland desktop, its clipboard tools, and a private session bus for the portal
  sway wl-clipboard dbus-daemon python3-dbus python3-gi
  # a GTK program's clipboard in the end-to-end tests
  gir1.2-gtk-3.0
  # compositors whose clipboard reaches X programs through XWayland, in the end-to-end tests
  weston mutter xwayland
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi

export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
