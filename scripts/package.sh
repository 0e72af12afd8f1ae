#!/usr/bin/env bash
# Builds the Debian packages from debian/ with dpkg-buildpackage (the program and its debug
# symbols), copies them into dist/ and checks them: lintian --pedantic without errors or
# warnings, desktop-file-validate, appstreamcli validate, one version everywhere, and a start
# of the packaged program under Xvfb with an empty home. Every failing step is named; the exit
# status is non-zero when one fails.
#
# --twice builds a second time in another directory and compares the packages byte for byte.
#
# The build runs on a copy of the work tree (tracked and new files) in build-package/, so
# dpkg-buildpackage's results do not land beside the clone. dist/ keeps the old packages until
# the new ones are built.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
top=$PWD
twice=0
for arg in "$@"; do
    case $arg in
    --twice) twice=1 ;;
    *)
        echo "usage: $0 [--twice]" >&2
        exit 2
        ;;
    esac
done

fail() {
    echo "package: FAILED: $*" >&2
    exit 1
}
# Runs a step; on failure names it with its exit status and the end of its log.
step() {
    local what=$1 log=$2
    shift 2
    echo "package: $what"
    "$@" >"$log" 2>&1
    local status=$?
    if [ $status -ne 0 ]; then
        tail -n 20 "$log" | cut -c 1-300 >&2
        fail "$what (exit status $status, log: $log)"
    fi
}

bash scripts/setup.sh --runtime --test || fail "scripts/setup.sh could not install what the package needs"
version=$(dpkg-parsechangelog -S Version) || fail "no version in debian/changelog"
arch=$(dpkg --print-architecture) || fail "dpkg --print-architecture"
work=$top/build-package
rm -rf "$work" && mkdir -p "$work" || fail "cannot make $work"

# The files of the work tree that git knows or would take: tracked, and new unless ignored.
copy_tree() {
    local dest=$1
    mkdir -p "$dest" || return 1
    git ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
        tar --null -T - -cf - | tar -xf - -C "$dest"
}
# ccache, where it is installed, speeds up building the same tree again. Its base directory
# setting would write relative source paths into the debug information, which a build without
# ccache does not: the packages would depend on the builder's ccache setup.
build_env=()
if [ -d /usr/lib/ccache ]; then
    build_env=(env -u CCACHE_BASEDIR -u CCACHE_NOHASHDIR "PATH=/usr/lib/ccache:$PATH")
fi
build_in() {
    local dir=$1/snapwell-$version
    copy_tree "$dir" || return 1
    (cd "$dir" && "${build_env[@]}" dpkg-buildpackage -b -us -uc)
}

step "copying the work tree and building with dpkg-buildpackage" "$work/build.log" build_in "$work"
debs=("$work/snapwell_${version}_${arch}.deb" "$work/snapwell-dbgsym_${version}_${arch}.deb")
for deb in "${debs[@]}"; do
    [ -f "$deb" ] || fail "dpkg-buildpackage did not build $(basename "$deb")"
done
changes=$work/snapwell_${version}_${arch}.changes

if [ $twice = 1 ]; then
    step "building a second time elsewhere" "$work/build-again.log" build_in "$work/again"
    for deb in "${debs[@]}"; do
        again=$work/again/$(basename "$deb")
        if ! cmp -s "$deb" "$again"; then
            mkdir -p "$work/diff/one" "$work/diff/two"
            dpkg-deb -R "$deb" "$work/diff/one" && dpkg-deb -R "$again" "$work/diff/two"
            diff -r "$work/diff/one" "$work/diff/two" >&2
            fail "two builds of $(basename "$deb") differ"
        fi
    done
    echo "package: the second build is bit-identical"
fi

# Only now, with the new packages at hand, the old ones give way.
mkdir -p dist || fail "cannot make dist/"
rm -f dist/snapwell_*.deb dist/snapwell-dbgsym_*.deb
cp "${debs[@]}" dist/ || fail "copying the packages into dist/"
echo "package: built dist/$(basename "${debs[0]}") and dist/$(basename "${debs[1]}")"

status=0
check_failed() {
    echo "package: check FAILED: $*" >&2
    status=1
}

# lintian's own exit status counts errors only; warnings fail here as well. Infos are shown
# (the README explains any that remain) and do not fail.
lintian --pedantic --display-info --tag-display-limit 0 "$changes" >"$work/lintian.log" 2>&1
lintian_status=$?
cat "$work/lintian.log"
if grep -q '^[EW]: ' "$work/lintian.log" || [ $lintian_status -ne 0 ]; then
    check_failed "lintian reports errors or warnings (exit status $lintian_status)"
fi

tree=$work/unpacked
dpkg-deb -x "${debs[0]}" "$tree" || fail "unpacking ${debs[0]}"
desktop-file-validate "$tree/usr/share/applications/snapwell.desktop" ||
    check_failed "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$tree/usr/share/metainfo/de.pelloran.snapwell.metainfo.xml" ||
    check_failed "appstreamcli validate"

# One version: the package's (from debian/changelog), the manual page's and the newest release
# the AppStream data lists.
man_version=$(zcat "$tree/usr/share/man/man1/snapwell.1.gz" | sed -n 's/^\.TH [^"]*"[^"]*" "snapwell \([^"]*\)".*/\1/p')
release=$(grep -o -m 1 '<release version="[^"]*"' "$tree/usr/share/metainfo/de.pelloran.snapwell.metainfo.xml" |
    cut -d '"' -f 2)
package_version=$(dpkg-deb -f "${debs[0]}" Version)
if [ "$man_version" = "$version" ] && [ "$release" = "$version" ] && [ "$package_version" = "$version" ]; then
    echo "package: version $version in debian/changelog, the package, the manual page and the AppStream data"
else
    check_failed "versions differ: changelog $version, package $package_version, manual page '$man_version', AppStream '$release'"
fi

# The program as the package installs it starts and shows its window, with an empty home and
# a private runtime directory of its own: a Snapwell the same user runs elsewhere holds its
# lock in another runtime directory and does not disturb this one.
start=$(mktemp -d) || fail "mktemp"
mkdir -m 0700 "$start/home" "$start/runtime" || fail "cannot make the start check's directories"
xvfb=
app=
cleanup() {
    [ -z "$app" ] || { kill "$app" && wait "$app"; } 2>/dev/null
    [ -z "$xvfb" ] || { kill "$xvfb" && wait "$xvfb"; } 2>/dev/null
    rm -rf "$start"
}
trap cleanup EXIT
bash tests/support/xvfb.sh >"$start/display" 2>"$start/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$start/display" ] || ! kill -0 "$xvfb" 2>/dev/null && break
    sleep 0.1
done
display=$(head -n 1 "$start/display")
if [ -z "$display" ]; then
    check_failed "no X server for the start check: $(cat "$start/xvfb.log")"
else
    env -i PATH=/usr/bin:/bin HOME="$start/home" DISPLAY="$display" PULSE_SERVER="unix:$start/no-pulse" \
        XDG_RUNTIME_DIR="$start/runtime" "$tree/usr/bin/snapwell" >"$start/start.log" 2>&1 &
    app=$!
    shown=0
    for _ in $(seq 100); do
        if DISPLAY="$display" xdotool search --name '^Pelloran Snapwell$' >/dev/null 2>&1; then
            shown=1
            break
        fi
        kill -0 "$app" 2>/dev/null || break
        sleep 0.1
    done
    if [ $shown = 0 ]; then
        check_failed "the packaged program showed no window: $(cat "$start/start.log")"
    elif ! kill -0 "$app" 2>/dev/null; then
        check_failed "the packaged program ended after showing its window: $(cat "$start/start.log")"
    elif [ ! -d "$start/home/.local/share/Pelloran/snapwell/Files" ]; then
        check_failed "the packaged program did not make its collection directory in the user's places"
    else
        echo "package: the packaged program starts and keeps its files in the user's places"
    fi
fi

if [ $status -eq 0 ]; then
    echo "package: all checks passed"
else
    echo "package: some checks FAILED (see above)" >&2
fi
exit $status
