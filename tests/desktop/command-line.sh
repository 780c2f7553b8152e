#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program's answers to its command line, on a terminal without a
# display and on an X display (Xvfb): each case's exit status and the lines
# it writes. Nothing here may open the window.
#
#   command-line.sh KESTRELON
set -euo pipefail

program=$1
work=$(mktemp -d)
xvfb=""
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT

: >"$work/display"
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
display=:$(cat "$work/display")

# display | arguments | exit status | the one line written (a pattern)
cases=(
    "none|--bogus|1|^kestrelon: Unknown option 'bogus'\.$"
    "none|-x|1|^kestrelon: Unknown option 'x'\.$"
    "none|extra-arg|1|^kestrelon: Unexpected argument 'extra-arg'"
    "none|-platform offscreen extra-arg|1|^kestrelon: Unexpected argument 'extra-arg'"
    "none|-platform|1|^kestrelon: Missing value after '-platform'\.$"
    "none|-platform offscreen --version|0|^kestrelon [0-9.]+$"
    "none|-style Fusion -reverse -v|0|^kestrelon [0-9.]+$"
    "x11|--bogus|1|^kestrelon: Unknown option 'bogus'\.$"
    "x11|extra-arg|1|^kestrelon: Unexpected argument 'extra-arg'"
    "x11|-- extra-arg|1|^kestrelon: Unexpected argument 'extra-arg'"
    "x11|--version|0|^kestrelon [0-9.]+$"
)

failures=0
for case in "${cases[@]}"; do
    IFS='|' read -r where arguments expected pattern <<<"$case"
    read -r -a words <<<"$arguments"
    environment=(-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
    [ "$where" = x11 ] && environment+=(DISPLAY="$display")
    status=0
    env "${environment[@]}" ODBCINI=/nonexistent timeout 20 "$program" "${words[@]}" \
        >"$work/out" 2>&1 || status=$?
    lines=$(wc -l <"$work/out")
    if [ "$status" -ne "$expected" ] || [ "$lines" -ne 1 ] || ! grep -qE "$pattern" "$work/out"; then
        echo "FAIL ($where) kestrelon $arguments: status $status (want $expected), $lines lines:" >&2
        sed 's/^/    /' "$work/out" >&2
        failures=$((failures + 1))
    fi
done

[ "$failures" -eq 0 ] || { echo "$failures of ${#cases[@]} cases failed" >&2; exit 1; }
echo "${#cases[@]} command lines answered as they should"
