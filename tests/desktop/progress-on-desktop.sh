#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real program on a data source that hands over its rows slowly,
# on a virtual screen with a real window manager, and watches the window
# that counts the rows read: while the count grows by orders of magnitude,
# it keeps one size and its frame stays centred in the work area.
#
#   progress-on-desktop.sh KESTRELON WINDOW_MANAGER
#
# A screenshot of the last reading is left in $KESTRELON_SHOTS when it is set.
set -euo pipefail
source "$(dirname "$0")/../../scripts/common.sh"
source "$(dirname "$0")/x11.sh"

program=$1 wm=$2
work=$(mktemp -d)
pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; wait; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work

# Up to 300,000 terms, each row costing the database some work: read for
# many seconds, the count passing 1,000 and 10,000 on the way.
sqlite3 "$work/slow.db" <<'SQL'
CREATE VIEW QryLithParent AS
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300000)
SELECT 'Term ' || i AS Lithology, NULL AS Parent, 1 AS Lith_level, i AS lith_id,
       NULL AS parent_id, NULL AS parent_level,
       (WITH RECURSIVE m(j) AS (SELECT 1 UNION ALL SELECT j + 1 FROM m WHERE j < 200 + n.i % 7)
        SELECT 'term ' || count(*) FROM m) AS description
FROM n;
SQL
sqlite_data_source "$work/slow.db" >"$work/odbc.ini"

start_screen 1280x1024
"$wm" >"$work/wm.log" 2>&1 &
pids+=($!)
sleep 1
ODBCINI=$work/odbc.ini QT_QPA_PLATFORM=xcb "$program" >"$work/kestrelon.log" 2>&1 &
pids+=($!)

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kestrelon$' | head -1 || true)
[ -n "$window" ] || { echo "FAIL: no progress window" >&2; cat "$work/kestrelon.log" >&2; exit 1; }

failures=0
sizes=()
for reading in 1 2 3 4 5 6 7 8; do
    sleep 1
    xwininfo -id "$window" 2>/dev/null | grep -q 'IsViewable' || break
    read_x11_geometry "$window"
    fx=$((x - left)) fy=$((y - top)) fw=$((w + left + right)) fh=$((h + top + bottom))
    dx=$((2 * (fx - wa_x) + fw - wa_w)) dy=$((2 * (fy - wa_y) + fh - wa_h))
    echo "$wm, reading $reading: client ${w}x${h}, frame at $fx,$fy, off centre by $((dx / 2)),$((dy / 2))"
    sizes+=("${w}x${h}")
    [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ] ||
        { echo "FAIL: frame off centre by $((dx / 2)),$((dy / 2)) px" >&2; failures=$((failures + 1)); }
    [ "$fy" -ge "$wa_y" ] || { echo "FAIL: title bar above the work area" >&2; failures=$((failures + 1)); }
    if [ -n "${KESTRELON_SHOTS:-}" ] && [ "$reading" -le 4 ]; then
        mkdir -p "$KESTRELON_SHOTS"
        import -window root "$KESTRELON_SHOTS/progress-$wm.png"
    fi
done
[ "${#sizes[@]}" -ge 4 ] || { echo "FAIL: the progress window went after ${#sizes[@]} s" >&2; exit 1; }
[ "$(printf '%s\n' "${sizes[@]}" | sort -u | wc -l)" -eq 1 ] ||
    { echo "FAIL: the progress window changed size: ${sizes[*]}" >&2; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] || exit 1
echo "$wm: the progress window kept ${sizes[0]}, centred, for ${#sizes[@]} s"
