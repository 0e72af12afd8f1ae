#!/usr/bin/env bash
# Checks the habits of the code base: every C++ file formatted by clang-format, and no
# include that crosses the layers. Run from anywhere; exits non-zero after reporting every
# fault found. Installs the runtime and test package sets first (scripts/setup.sh).
#
# Layers, from the bottom: platform/, storage/, app/, capture/, ui/. A folder includes only
# folders below it: platform/ nothing of the others; storage/ nothing of app/, capture/ or
# ui/; app/ nothing of capture/ or ui/; capture/ nothing of ui/. The start-up files build the
# windows and may include ui/. Qt Widgets appear only in ui/ and the start-up files. No two
# folders include each other, directly or round about.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --runtime --test || exit 2

startup_files='^(app/startup\.cpp|app/main\.cpp):'
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
    crossing 'storage|app|capture|ui' platform
    crossing 'app|capture|ui' storage
    crossing 'capture|ui' app | grep -v -E "$startup_files"
    crossing 'ui' capture
)
if [ -n "$layer_faults" ]; then
    echo "Includes that cross the layers:"
    echo "$layer_faults" | sed 's/^/  /'
    status=1
fi

# Qt Widgets headers, by the names the installed module has (<QWidget>, <QtWidgets/...>).
qt_headers=$(qtpaths6 --query QT_INSTALL_HEADERS 2>/dev/null || ls -d /usr/include/*/qt6 /usr/include/qt6 2>/dev/null | head -n 1)
widgets_dir=$qt_headers/QtWidgets
if [ ! -d "$widgets_dir" ]; then
    echo "check: Qt Widgets headers not found (scripts/setup.sh installs them)" >&2
    exit 2
fi
widget_names=$(find "$widgets_dir" -maxdepth 1 -name 'Q*' -printf '%f\n' | grep -v '\.h$' | paste -sd '|')
widget_faults=$(grep -rn -E "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"](QtWidgets/.*|QtWidgets|$widget_names)[>\"]" \
    app capture platform storage | grep -v -E "$startup_files" || true)
if [ -n "$widget_faults" ]; then
    echo "Qt Widgets outside ui/ and the start-up files:"
    echo "$widget_faults" | sed 's/^/  /'
    status=1
fi

# No circle among the folders: every include between two folders is an edge for tsort. The
# start-up files stand above everything and are left out.
folder_edges=$(grep -rn -E -o '^[[:space:]]*#[[:space:]]*include[[:space:]]*"(platform|storage|app|capture|ui)/' \
    platform storage app capture ui | grep -v -E "$startup_files" |
    sed -E 's#^([a-z]+)/[^:]*:[0-9]+:.*"([a-z]+)/$#\1 \2#' | awk '$1 != $2' | sort -u)
if ! circle=$(echo "$folder_edges" | tsort 2>&1 >/dev/null) || [ -n "$circle" ]; then
    echo "Folders that include each other:"
    echo "$circle" | sed 's/^/  /'
    status=1
fi

[ $status -eq 0 ] && echo "check: format, layers, widgets and folders clean"
exit $status
