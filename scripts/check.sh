#!/usr/bin/env bash
# Checks the habits of the code base: every C++ file formatted by clang-format, and no
# include that crosses the layers. Run from anywhere; exits non-zero on the first kind of
# fault found after reporting all of them.
#
# Layers: platform/ includes nothing of app/, capture/ or ui/; app/ and capture/ include
# nothing of ui/, except the start-up file, which builds the windows.
set -uo pipefail
cd "$(dirname "$0")/.."

startup_file=app/startup.cpp
status=0

format=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$format" ]; then
    echo "check: clang-format not found (scripts/setup.sh installs it)" >&2
    exit 2
fi
mapfile -t sources < <(find app storage capture platform ui tests bench -name '*.cpp' -o -name '*.h' | sort)
unformatted=()
for f in "${sources[@]}"; do
    if ! "$format" --style=file "$f" | cmp -s - "$f"; then
        unformatted+=("$f")
    fi
done
if [ ${#unformatted[@]} -gt 0 ]; then
    echo "Not formatted (run: $format -i <file>):"
    printf '  %s\n' "${unformatted[@]}"
    status=1
fi

# Prints the includes of the given folders that name one of the forbidden folders.
crossing() {
    local forbidden=$1
    shift
    grep -rn -E "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"($forbidden)/" "$@" || true
}
layer_faults=$(
    crossing 'app|capture|ui' platform
    crossing 'ui' app capture | grep -v "^$startup_file:"
)
if [ -n "$layer_faults" ]; then
    echo "Includes that cross the layers:"
    echo "$layer_faults" | sed 's/^/  /'
    status=1
fi

[ $status -eq 0 ] && echo "check: format and layers clean"
exit $status
