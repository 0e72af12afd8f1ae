#!/usr/bin/env bash
# Installs what is needed, builds with warnings as errors and runs every test (unit, window
# and end-to-end).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --runtime --test
cmake --preset ci
cmake --build --preset ci
ctest --preset ci
