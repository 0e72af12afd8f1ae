#!/usr/bin/env bash
# Builds the Debian package dist/snapwell_<version>_<arch>.deb from a release build and checks
# it: lintian (no errors), desktop-file-validate and appstreamcli validate. Exits non-zero
# when a check fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=build-package
# Debian's hardening flags, all of them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSNAPWELL_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$build"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
deb="dist/snapwell_${version}_${arch}.deb"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# dpkg-shlibdeps looks for the package tree where debian/ packaging puts it.
root="$work/debian/snapwell"
DESTDIR="$root" cmake --install "$build" >/dev/null
strip --remove-section=.comment --remove-section=.note --strip-unneeded "$root/usr/bin/snapwell"
doc="$root/usr/share/doc/snapwell"
gzip -9n "$root/usr/share/man/man1/snapwell.1"
cat >"$work/changelog" <<CHANGES
snapwell ($version) stable; urgency=medium

  * Release $version.

 -- Pelloran <snapwell@pelloran.example>  $(date -R -d @"$(git log -1 --format=%ct 2>/dev/null || date +%s)")
CHANGES
gzip -9n -c "$work/changelog" >"$doc/changelog.gz"
find "$root" -type d -exec chmod 0755 {} +
find "$root" -type f -exec chmod 0644 {} +
chmod 0755 "$root/usr/bin/snapwell"

# The libraries the program links, as dpkg-shlibdeps finds them; what Qt loads at run time
# (plugins, translations, fonts) named by hand.
mkdir -p "$work/debian" "$root/DEBIAN"
printf 'Source: snapwell\n\nPackage: snapwell\nArchitecture: any\n' >"$work/debian/control"
shlibs=$(cd "$work" && dpkg-shlibdeps -O debian/snapwell/usr/bin/snapwell | sed -n 's/^shlibs:Depends=//p')
(cd "$root" && find usr -type f -exec md5sum {} + | sort -k 2 >"$work/md5sums")

cat >"$root/DEBIAN/control" <<CONTROL
Package: snapwell
Version: $version
Architecture: $arch
Maintainer: Pelloran <snapwell@pelloran.example>
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Depends: $shlibs, qt6-wayland
Recommends: libqt6svg6, qt6-translations-l10n, fonts-noto-color-emoji
Suggests: xdg-desktop-portal, pipewire
Section: utils
Priority: optional
Description: clipboard collector for X11 and Wayland desktops
 Pelloran Snapwell collects what passes through the clipboard: every new text
 is appended to one collection file or written to a numbered file of its own,
 every new picture is stored as a numbered bitmap, and a button stores a
 snapshot of the whole screen. A tone confirms each piece once it is on disk;
 content marked as secret by a password manager is never stored.
 .
 It watches the clipboard in the background on X11 and on Wayland compositors
 that offer data control (sway and other wlroots compositors, KDE Plasma).
 The user interface is German.
CONTROL
mv "$work/md5sums" "$root/DEBIAN/md5sums"

mkdir -p dist
rm -f "$deb"
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "built $deb"

status=0
desktop-file-validate "$root/usr/share/applications/snapwell.desktop" || status=1
appstreamcli validate --no-net "$root/usr/share/metainfo/de.pelloran.snapwell.metainfo.xml" || status=1
# lintian's exit status also counts warnings; only errors fail the package.
lintian --tag-display-limit 0 "$deb" | tee "$work/lintian" || true
if grep -q '^E:' "$work/lintian"; then
    status=1
fi

# The program as the package installs it starts and shows its window, with a home of its own.
mkdir -p "$work/unpacked" "$work/home"
dpkg-deb -x "$deb" "$work/unpacked"
coproc XVFB { exec bash tests/support/xvfb.sh; }
xvfb=$XVFB_PID
if read -r display <&"${XVFB[0]}"; then
    env -i PATH=/usr/bin:/bin HOME="$work/home" DISPLAY="$display" PULSE_SERVER="unix:$work/none" \
        XDG_RUNTIME_DIR="$work/home" "$work/unpacked/usr/bin/snapwell" >"$work/start.log" 2>&1 &
    app=$!
    shown=0
    for _ in $(seq 100); do
        DISPLAY="$display" xdotool search --name '^Pelloran Snapwell$' >/dev/null 2>&1 && shown=1 && break
        sleep 0.1
    done
    kill "$app" 2>/dev/null
    wait "$app" 2>/dev/null
    if [ $shown = 1 ] && [ -d "$work/home/.local/share/Pelloran/snapwell/Files" ]; then
        echo "the extracted program starts and keeps its files in the user's places"
    else
        echo "the extracted program did not start: $(cat "$work/start.log")" >&2
        status=1
    fi
else
    echo "no X server for the start check" >&2
    status=1
fi
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null

[ $status -eq 0 ] && echo "package checks passed"
exit $status
