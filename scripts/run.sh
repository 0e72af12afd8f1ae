#!/usr/bin/env bash
# Installs what building and running need (not the test bench), builds, installs Snapwell for
# the user into ~/.local (program, menu entry, icons, manual page) and starts the installed
# program. The installed program keeps its profile and collection in ~/.config and
# ~/.local/share, never in the clone: rebuilding or deleting build/ cannot touch what the user
# collected.
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=$HOME/.local

# A running Snapwell holds the instance lock in the runtime directory (where the toolkit puts
# it: $XDG_RUNTIME_DIR, else /run/user/<uid>, else /tmp/runtime-<user>); a second one would end
# at once without a word, and its program file cannot be replaced while it runs.
running_snapwell() {
    local lock pid
    for lock in "${XDG_RUNTIME_DIR:-/run/user/$(id -u)}/snapwell.lock" "/tmp/runtime-$(id -un)/snapwell.lock"; do
        [ -r "$lock" ] || continue
        read -r pid <"$lock" || continue
        [[ $pid =~ ^[0-9]+$ ]] && [ -O "/proc/$pid" ] || continue
        [ "$(basename "$(readlink "/proc/$pid/exe" 2>/dev/null)")" = snapwell ] && echo "$pid" && return 0
    done
    return 1
}
if pid=$(running_snapwell); then
    echo "run: Snapwell is already running (process $pid, $(readlink "/proc/$pid/exe"))." >&2
    echo "run: close it (menu or window), then run scripts/run.sh again to install and start this build." >&2
    exit 1
fi

bash scripts/setup.sh --runtime
# The program alone; the tests and benchmarks are built by scripts/test.sh. The prefix is
# known when configuring: the menu entry names the program by its full path.
cmake --preset default -DSNAPWELL_TESTS=OFF -DCMAKE_INSTALL_PREFIX="$prefix"
cmake --build --preset default --target snapwell
cmake --install build
# The desktop's menu finds the new entry at once where the menu keeps a cache.
if command -v update-desktop-database >/dev/null; then
    update-desktop-database -q "$prefix/share/applications" || true
fi
case ":$PATH:" in
*":$prefix/bin:"*) ;;
*)
    echo "run: $prefix/bin is not on your PATH yet, so 'snapwell' and 'man snapwell' are not found in this"
    echo "run: shell (the menu entry works). Debian's ~/.profile adds it at your next login; until then:"
    echo "       export PATH=\"\$HOME/.local/bin:\$PATH\""
    ;;
esac
exec "$prefix/bin/snapwell" "$@"
