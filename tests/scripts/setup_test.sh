#!/usr/bin/env bash
# scripts/setup.sh with stand-ins on PATH for the package query, the user's id, the sound
# server's process, sudo and apt-get: what it installs, says and returns for each situation.
# Usage: setup_test.sh <scripts/setup.sh>
set -uo pipefail
setup=$(readlink -f "$1")
bash=$(command -v bash)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Every package of both sets, read from the script.
all=$(sed -n '/^runtime_packages=(/,/^sound_servers=/p' "$setup" | grep -v -e '#' -e '=' -e ')' | tr -s ' \n' '\n' | sort -u)

# Runs setup.sh with: $1 the packages missing, $2 the uid, $3 "sudo" or "", $4 "sound" when a
# sound server runs; then the arguments for setup.sh. Sets out, status and apt (apt-get calls).
run() {
    local missing=$1 uid=$2 sudo=$3 sound=$4
    shift 4
    local bin=$dir/bin
    rm -rf "$bin" "$dir/apt.log" "$dir/runtime"
    mkdir -p "$bin" "$dir/runtime"
    grep -v -x -F -f <(tr ' ' '\n' <<<"$missing" | grep .) <<<"$all" >"$dir/installed" || true
    cat >"$bin/dpkg-query" <<STUB
#!$bash
shift 2
for p in "\$@"; do while read -r i; do [ "\$i" = "\$p" ] && echo "\$p installed"; done <"$dir/installed"; done
STUB
    printf '#!%s\necho %s\n' "$bash" "$uid" >"$bin/id"
    printf '#!%s\n[ %s = sound ]\n' "$bash" "${sound:-none}" >"$bin/pgrep"
    printf '#!%s\necho "$*" >>"%s/apt.log"\n' "$bash" "$dir" >"$bin/apt-get"
    [ "$sudo" != sudo ] || printf '#!%s\necho sudo >>"%s/apt.log"; "$@"\n' "$bash" "$dir" >"$bin/sudo"
    chmod +x "$bin"/*
    ln -s "$(command -v env)" "$bin/env"
    out=$(env -i PATH="$bin" XDG_RUNTIME_DIR="$dir/runtime" "$bash" "$setup" "$@" 2>&1)
    status=$?
    out=${out//$'\n'/ }
    apt=$(cat "$dir/apt.log" 2>/dev/null | tr '\n' ' ')
}

# The output's lines are joined by blanks.
# missing | uid | sudo | sound | arguments | status | apt-get calls (a pattern) | output (a pattern)
cases=(
    "|1000|||--runtime --test|0|^$|^$"
    "xvfb|1000|||--runtime|0|^$|^$"
    "xvfb sway|1000|||--test|1|^$|missing: xvfb sway.*su -c 'apt-get update && apt-get install --no-install-recommends xvfb sway'"
    "cmake xvfb|1000|||--runtime|1|^$|missing: cmake setup:"
    "cmake xvfb|1000|||--runtime --test|1|^$|missing: cmake xvfb"
    "cmake|0|||--runtime|0|^update -qq install -y -qq --no-install-recommends cmake $|^$"
    "cmake|1000|sudo||--runtime|0|^sudo update -qq sudo install -y -qq --no-install-recommends cmake $|^$"
    "pulseaudio sox|0||sound|--test|0|install -y -qq --no-install-recommends sox $|pulseaudio is not installed"
    "pulseaudio sox|0|||--test|0|install -y -qq --no-install-recommends pulseaudio sox $|^$"
    "pulseaudio|0||sound|--test|0|^$|pulseaudio is not installed"
    "|1000|||--bogus|2|^$|usage"
)
for c in "${cases[@]}"; do
    IFS='|' read -r missing uid sudo sound args want_status want_apt want_out <<<"$c"
    # shellcheck disable=SC2086
    run "$missing" "$uid" "$sudo" "$sound" $args
    [ "$status" = "$want_status" ] || fail "[$c] status $status, expected $want_status: $out"
    grep -q -E -- "$want_apt" <<<"$apt" || fail "[$c] apt-get calls '$apt' do not match '$want_apt'"
    grep -q -E -- "$want_out" <<<"$out" || fail "[$c] output '$out' does not match '$want_out'"
done

# The runtime set holds nothing the tests alone need.
for p in xvfb sway pulseaudio lintian clang-format imagemagick sox libgtest-dev; do
    run "$p" 1000 "" "" --runtime
    [ "$status" = 0 ] && [ -z "$out" ] || fail "--runtime asks for $p: $out"
done

[ $failures -eq 0 ] && echo "PASS: setup.sh in $((${#cases[@]} + 8)) situations"
exit $((failures > 0))
