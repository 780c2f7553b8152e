#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real program on the demo database on a virtual screen with a
# real window manager, 0 to 1 s after the window manager itself, as at
# log-in, and checks every start from outside, as a user sees it: the client
# area at its designed size (or fitted to the screen's work area), the frame
# centred in the work area with its title bar on the screen, and the controls
# laid out (their pixels where the layout puts them).
#
#   window-on-desktop.sh KESTRELON WINDOW_MANAGER [SCREEN [SCALE]]
#
# WINDOW_MANAGER is an X window manager run under Xvfb (openbox, icewm), or
# weston: its headless back-end, the program on Wayland. A Wayland
# compositor places windows itself, so there the frame is only checked to be
# on the screen, and a window too large for it is maximised. SCREEN is WIDTHxHEIGHT (default 1280x1024); SCALE is the
# program's QT_SCALE_FACTOR (default 1). A screenshot of the last start is
# left in $KESTRELON_SHOTS when it is set.
set -euo pipefail
source "$(dirname "$0")/../../scripts/common.sh"
source "$(dirname "$0")/x11.sh"

program=$1 wm=$2 screen=${3:-1280x1024} scale=${4:-1}
delays=(0 0.25 0.5 0.75 1)
designed_width=425 designed_height=371 # 6375 x 5565 twips at 96 dpi

work=$(mktemp -d)
pids=()
stop_all() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    pids=()
}
trap 'stop_all; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work

make_demo_database "$work/demo.db"
sqlite_data_source "$work/demo.db" >"$work/odbc.ini"

failures=0
checked=0
fail() {
    echo "FAIL ($wm, start $start): $*" >&2
    failures=$((failures + 1))
}

# Scales a length in the program's own pixels to the screen's, rounding.
device() { awk -v v="$1" -v s="$scale" 'BEGIN { printf "%d", v * s + (v < 0 ? -0.5 : 0.5) }'; }
within() { local d=$(($1 - $2)); [ "${d#-}" -le "$3" ]; }

start_weston() {
    rm -f "$work"/wayland-0*
    weston --backend=headless-backend.so --use-pixman --socket=wayland-0 --idle-time=0 \
        --width="${screen%x*}" --height="${screen#*x}" --debug >"$work/wm.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do [ -S "$work/wayland-0" ] && break; sleep 0.05; done
    export WAYLAND_DISPLAY=wayland-0
}

# weston's own view of the program's window: the surface, decoration
# included, and its opaque part, the client area; nothing of the next view
# while the window has no opaque part yet.
scene_graph() {
    timeout 5 weston-debug scene-graph 2>/dev/null |
        awk '/top-level window .Kestrelon./ {found = 1; next} found && /View [0-9]/ {exit}
             found && /position:|opaque:/ {
                 gsub(/[^0-9 ]/, " "); print; if (++n == 2) exit }' | tr -s ' \n' ' '
}

find_window() {
    if [ "$wm" = weston ]; then
        for _ in $(seq 300); do
            [ "$(scene_graph | wc -w)" -eq 8 ] && { window=weston; return; }
            sleep 0.1
        done
        window=""
    else
        window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kestrelon$' |
            head -1 || true)
    fi
}

read_weston_geometry() {
    local sx1 sy1 sx2 sy2 ox1 oy1 ox2 oy2
    read -r sx1 sy1 sx2 sy2 ox1 oy1 ox2 oy2 <<<"$(scene_graph)"
    x=$ox1 y=$oy1 w=$((ox2 - ox1)) h=$((oy2 - oy1))
    left=$((ox1 - sx1)) top=$((oy1 - sy1)) right=$((sx2 - ox2)) bottom=$((sy2 - oy2))
    # Less the panel along the top.
    wa_x=0 wa_y=32 wa_w=${screen%x*} wa_h=$((${screen#*x} - 32))
}

read_geometry() {
    if [ "$wm" = weston ]; then read_weston_geometry; else read_x11_geometry "$window"; fi
}

# Waits until the window has stood still for a second (at most 15 s).
wait_until_still() {
    local last="" now still=0
    for _ in $(seq 150); do
        if [ "$wm" = weston ]; then
            now=$(scene_graph)
        else
            now=$(xwininfo -id "$window" 2>/dev/null | grep -E 'Absolute|Width|Height' | tr -d ' \n')
            now+=$(xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null || true)
        fi
        if [ "$now" = "$last" ]; then
            still=$((still + 1))
            [ "$still" -ge 10 ] && return 0
        else
            still=0
            last=$now
        fi
        sleep 0.1
    done
}

check_size() {
    local want_w want_h room_w=$((wa_w - left - right)) room_h=$((wa_h - top - bottom))
    want_w=$(device $designed_width) want_h=$(device $designed_height)
    if [ "$want_w" -le "$room_w" ] && [ "$want_h" -le "$room_h" ]; then
        [ "$w" -eq "$want_w" ] && [ "$h" -eq "$want_h" ] ||
            fail "client ${w}x${h}, designed ${want_w}x${want_h}"
    elif [ "$wm" = weston ]; then
        # Qt does not learn a Wayland compositor's work area: the window
        # opens maximised and the compositor fits it there, to within the
        # half pixel Qt's own decoration rounds to at scale 2.
        within "$w" "$room_w" "$(device 1)" && within "$h" "$room_h" "$(device 1)" ||
            fail "client ${w}x${h} does not fill ${room_w}x${room_h} (designed ${want_w}x${want_h})"
    else
        # Fitted to the work area, to within a pixel of the program's own.
        { [ "$w" -le "$room_w" ] && [ "$h" -le "$room_h" ] &&
            within "$w" "$(( want_w < room_w ? want_w : room_w ))" "$(device 1)" &&
            within "$h" "$(( want_h < room_h ? want_h : room_h ))" "$(device 1)"; } ||
            fail "client ${w}x${h} does not fit ${room_w}x${room_h} (designed ${want_w}x${want_h})"
    fi
}

check_place() {
    local fx=$((x - left)) fy=$((y - top)) fw=$((w + left + right)) fh=$((h + top + bottom))
    local dx=$((2 * (fx - wa_x) + fw - wa_w)) dy=$((2 * (fy - wa_y) + fh - wa_h))
    echo "$wm, start $start: client ${w}x${h} at $x,$y; frame ${fw}x${fh} at $fx,$fy;" \
        "work area ${wa_w}x${wa_h} at $wa_x,$wa_y"
    [ "$fx" -ge "$wa_x" ] && [ "$fy" -ge "$wa_y" ] || fail "frame at $fx,$fy, off the work area"
    local slack=0
    [ "$wm" = weston ] && slack=$(device 1)
    [ $((fx + fw)) -le $((wa_x + wa_w + slack)) ] && [ $((fy + fh)) -le $((wa_y + wa_h + slack)) ] ||
        fail "frame ends at $((fx + fw)),$((fy + fh)), off the work area"
    [ "$wm" = weston ] && return
    within "$dx" 0 "$(device 2)" && within "$dy" 0 "$(device 2)" ||
        fail "frame off centre by $((dx / 2)),$((dy / 2)) px"
}

# The controls where the layout puts them for this outer size: a point
# inside the tree and one inside the description box show the white of an
# edit field, the gap between the two shows the window's own background.
check_layout() {
    local shot=$work/client.png outer_w outer_h origin_x=0 origin_y=0
    if [ "$wm" = weston ]; then
        rm -f "$work"/wayland-screenshot-*.png
        (cd "$work" && timeout 10 weston-screenshooter)
        mv "$work"/wayland-screenshot-*.png "$shot"
        origin_x=$x origin_y=$y
    else
        import -window "$window" "$shot"
    fi
    outer_w=$(awk -v v=$((w + left + right)) -v s="$scale" 'BEGIN { print v / s }')
    outer_h=$(awk -v v=$((h + top + bottom)) -v s="$scale" 'BEGIN { print v / s }')
    pixel() {
        local px py
        px=$((origin_x + $(device "$(awk -v o="$outer_w" -v d="$1" 'BEGIN { print o - d }')")))
        py=$((origin_y + $(device "$(awk -v o="$outer_h" -v d="$2" 'BEGIN { print o - d }')")))
        convert "$shot" -format "%[hex:p{$px,$py}]" info:
    }
    local tree box gap
    tree=$(pixel 37 111) box=$(pixel 37 63) gap=$(pixel 37 104)
    [ "$tree" = FFFFFF ] && [ "$box" = FFFFFF ] && [ "$gap" != FFFFFF ] ||
        fail "controls not laid out: tree $tree, box $box, gap between them $gap"
}

# The window manager's icon for the window: the globe at every size the
# program has it, from 16 to 256 pixels (at scale 1; Qt scales them with
# the program).
check_icon() {
    [ "$wm" = weston ] || [ "$scale" != 1 ] && return
    local sizes
    sizes=$(xprop -len 100000000 -id "$window" _NET_WM_ICON | sed -n 's/.*Icon (\([0-9]*\) x [0-9]*).*/\1/p' |
        sort -n | tr '\n' ' ')
    [ "$sizes" = "16 22 24 32 48 64 128 256 " ] || fail "window icon at sizes $sizes"
}

platform=xcb
[ "$wm" = weston ] && platform=wayland
for start in "${!delays[@]}"; do
    if [ "$wm" = weston ]; then
        start_weston
    else
        start_screen "$screen"
        "$wm" >"$work/wm.log" 2>&1 &
        pids+=($!)
    fi
    sleep "${delays[$start]}"
    ODBCINI=$work/odbc.ini QT_QPA_PLATFORM=$platform QT_SCALE_FACTOR=$scale "$program" \
        >"$work/kestrelon.log" 2>&1 &
    app=$!
    pids=("$app" "${pids[@]}")
    find_window
    if [ -z "$window" ]; then
        fail "no window after ${delays[$start]} s"
        cat "$work/kestrelon.log" >&2
    else
        wait_until_still
        read_geometry
        check_size
        check_place
        check_layout
        check_icon
        kill -0 "$app" 2>/dev/null || fail "the program ended"
        checked=$((checked + 1))
        if [ -n "${KESTRELON_SHOTS:-}" ]; then
            mkdir -p "$KESTRELON_SHOTS"
            if [ "$wm" = weston ]; then
                cp "$work/client.png" "$KESTRELON_SHOTS/$wm-$screen-scale$scale.png"
            else
                import -window root "$KESTRELON_SHOTS/$wm-$screen-scale$scale.png"
            fi
        fi
    fi
    stop_all
done

[ "$failures" -eq 0 ] && [ "$checked" -eq "${#delays[@]}" ] || { echo "$failures failed checks" >&2; exit 1; }
echo "$wm: ${#delays[@]} starts on $screen at scale $scale, all laid out and in place"
