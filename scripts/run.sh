#!/usr/bin/env bash
# Installs what is needed, builds and starts Snapwell.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default
cmake --build --preset default
exec build/snapwell "$@"
