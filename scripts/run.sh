#!/usr/bin/env bash
# Installs what is needed, builds, installs Snapwell for the user into ~/.local (program, menu
# entry, icons, manual page) and starts the installed program. The installed program keeps
# its profile and collection in ~/.config and ~/.local/share, never in the clone: rebuilding
# or deleting build/ cannot touch what the user collected.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default
# The program alone; the tests and benchmarks are built by scripts/test.sh.
cmake --build --preset default --target snapwell
cmake --install build --prefix "$HOME/.local"
# The desktop's menu finds the new entry at once where the menu keeps a cache.
if command -v update-desktop-database >/dev/null; then
    update-desktop-database -q "$HOME/.local/share/applications" || true
fi
exec "$HOME/.local/bin/snapwell" "$@"
