#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program as a screen reader meets it: on a virtual screen with a
# window manager, on a D-Bus session of its own with the AT-SPI
# accessibility bus, Qt's accessibility bridge on. accessible-tree.py checks
# what the accessibility bus shows of the window, finds a term by typing
# its name, as a user would, presses Define and reads the result back.
# The data source is a system one, and the user has no odbc.ini of their
# own: the program, which only reads, must not leave one behind.
#
#   accessible-tree.sh KESTRELON
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/common.sh"
source "$here/x11.sh"

program=$(realpath "$1")
work=$(mktemp -d)
pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; wait; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work

make_demo_database "$work/demo.db"
mkdir "$work/system"
sqlite_data_source "$work/demo.db" >"$work/system/odbc.ini"
: >"$work/system/odbcinst.ini"
start_screen 1280x1024
openbox >"$work/wm.log" 2>&1 &
pids+=($!)

export ODBCSYSINI=$work/system ODBCINI=$work/user-odbc.ini QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export KESTRELON=$program HERE=$here
# Syenogranite is a level-5 term of the demo lithology.
timeout 120 dbus-run-session -- bash -c '
    "$KESTRELON" >"$XDG_RUNTIME_DIR/kestrelon.log" 2>&1 &
    app=$!
    window=$(timeout 30 xdotool search --sync --onlyvisible --name "^Kestrelon$" | head -1)
    xdotool windowactivate --sync "$window" 2>/dev/null || true
    status=0
    /usr/bin/python3 "$HERE/accessible-tree.py" Syenogranite 5 Syeno || status=$?
    kill "$app"
    exit "$status"'
if [ -e "$work/user-odbc.ini" ]; then
    echo "FAIL: the program created the user's odbc.ini" >&2
    exit 1
fi
