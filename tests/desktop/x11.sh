# SPDX-License-Identifier: GPL-3.0-or-later
# What the desktop checks share on X; sourced, not run. The caller keeps its
# scratch folder in $work and the processes to stop in the array pids.
# shellcheck shell=bash

# start_screen WIDTHxHEIGHT: a virtual screen of that size, as $DISPLAY.
start_screen() {
    local display_file=$work/display
    : >"$display_file"
    Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$display_file" 2>/dev/null &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.05; done
    DISPLAY=:$(cat "$display_file")
    export DISPLAY
}

# read_x11_geometry WINDOW: the window's geometry as the X server has it:
# client (x, y, w, h), frame extents (left, right, top, bottom) and the work
# area the window manager leaves to windows (wa_x, wa_y, wa_w, wa_h).
read_x11_geometry() {
    eval "$(xwininfo -id "$1" | awk '
        /Absolute upper-left X/ {print "x=" $4} /Absolute upper-left Y/ {print "y=" $4}
        /Width:/ {print "w=" $2} /Height:/ {print "h=" $2}')"
    read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //; s/,//gp')
    read -r wa_x wa_y wa_w wa_h _ < <(xprop -root _NET_WORKAREA | sed -n 's/.*= //; s/,//gp')
}
