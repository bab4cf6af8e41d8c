#!/bin/sh
# Opens a project in the program through its Open button, prints how long
# after the open finished the model view drew its first frame with points
# (and the first with every wanted tile loaded), then looks down on the
# clouds, brings points under the middle of the view, turns to look along
# them and drives the view with view_memory.sh (zooming in flies along the
# cloud, close to its points), and prints where the resident memory is.
# Needs $DISPLAY (Xvfb will do) with a 1600x1000 screen, xdotool and
# ImageMagick.  usage: bench/view_open.sh PROGRAM PROJECT [SECONDS]
#   PROGRAM  the program's executable (its lib/ and icons beside it as built)
#   PROJECT  a project (.qpj) whose clouds are imported already
#   SECONDS  how long view_memory.sh drives the view (60)
# The main window is placed at the screen's top left corner and sized to
# 1600x1000, as a window manager would maximise it (there need be none).
# Positions in it can be changed: OPEN_X OPEN_Y (the ribbon's Open button),
# VIEW_X0 VIEW_Y0 VIEW_X1 VIEW_Y1 (the model view's corners).
set -eu
program=$1
project=$2
seconds=${3:-60}
here=$(cd "$(dirname "$0")" && pwd)
open_x=${OPEN_X:-67}
open_y=${OPEN_Y:-72}
x0=${VIEW_X0:-330}
y0=${VIEW_Y0:-165}
x1=${VIEW_X1:-1598}
y1=${VIEW_Y1:-970}
cx=$(((x0 + x1) / 2))
cy=$(((y0 + y1) / 2))
for tool in xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "view_open: $tool is needed" >&2; exit 1; }
done
[ -n "${DISPLAY:-}" ] || { echo "view_open: no DISPLAY" >&2; exit 1; }
[ -r "$project" ] || { echo "view_open: cannot read $project" >&2; exit 1; }

work=$(mktemp -d)
log=$work/view.log
pid=
# Ends the program and removes the temporary folder; the script's own exit
# status stands, not the ended program's.
finish() {
    status=$?
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || :
        wait "$pid" 2>/dev/null || :
    fi
    rm -rf "$work"
    exit "$status"
}
trap finish EXIT

# Waits up to $2 seconds for the event $1 in the program's log.
await() {
    i=0
    while ! grep -q "^$1 " "$log" 2>/dev/null; do
        i=$((i + 1))
        [ "$i" -gt $(($2 * 10)) ] && { echo "view_open: no $1 after $2 s" >&2; exit 1; }
        sleep 0.1
    done
}
# Waits up to $2 seconds for a shown window named as the pattern $1 and
# prints its id.
shown_window() {
    id=$(timeout "$2" xdotool search --sync --onlyvisible --name "$1" | head -n 1) || :
    [ -n "$id" ] || { echo "view_open: no window named $1 after $2 s" >&2; return 1; }
    echo "$id"
}
# Drags with a mouse button from one screen spot to another, held still
# before the release so that the view is not thrown into a spin.
drag() { # button x y to_x to_y
    xdotool mousemove "$2" "$3" mousedown "$1"
    i=1
    while [ "$i" -le 10 ]; do
        xdotool mousemove $(($2 + ($4 - $2) * i / 10)) $(($3 + ($5 - $3) * i / 10))
        sleep 0.03
        i=$((i + 1))
    done
    sleep 0.3
    xdotool mouseup "$1"
}

# The coloured spot nearest the view's middle, in screen pixels (found on an
# eighth-size picture of the view): points, not the grey and white lines of
# roads.  Nothing when no point is drawn.
nearest_drawn() {
    import -window root -crop $((x1 - x0))x$((y1 - y0))+$x0+$y0 +repage miff:- |
        convert miff:- -scale 12.5% txt:- |
        awk -F'[(), :]+' -v mx=$(((x1 - x0) / 16)) -v my=$(((y1 - y0) / 16)) -v x0="$x0" -v y0="$y0" '
            NR > 1 {
                hi = $4; lo = $4
                if ($5 > hi) hi = $5; if ($5 < lo) lo = $5
                if ($6 > hi) hi = $6; if ($6 < lo) lo = $6
                if (hi == 0 || hi - lo < 0.5 * hi) next
                d = ($1 - mx) ^ 2 + ($2 - my) ^ 2
                if (!found || d < best) { best = d; bx = $1; by = $2; found = 1 }
            }
            END { if (found) print x0 + bx * 8 + 4, y0 + by * 8 + 4 }'
}

# Looks down on the clouds and pans until drawn points lie in the view's
# middle, the spot the view turns about and zooms to.
aim() {
    drag 1 "$cx" "$cy" "$cx" $((cy + 300))
    sleep 1
    n=0
    while [ "$n" -lt 8 ]; do
        spot=$(nearest_drawn)
        [ -n "$spot" ] || { echo "view_open: nothing drawn to aim at" >&2; exit 1; }
        set -- $spot
        [ $(($1 - cx)) -le 8 ] && [ $((cx - $1)) -le 8 ] && [ $(($2 - cy)) -le 8 ] && [ $((cy - $2)) -le 8 ] && return
        drag 2 "$1" "$2" "$cx" "$cy"
        sleep 0.5
        n=$((n + 1))
    done
}

# Back to level, then a quarter turn: looking along the road at the aimed
# points, so that zooming in (which pushes the eye forward once it is as
# close as the view allows) flies along the cloud, close to its points.
look_along() {
    drag 1 "$cx" "$cy" "$cx" $((cy - 300))
    drag 1 "$cx" "$cy" $((cx + ${VIEW_OPEN_TURN:-470})) "$cy"
    sleep 1
}

shot() {
    [ -n "${VIEW_OPEN_SHOTS:-}" ] && import -window root "$VIEW_OPEN_SHOTS/view-open-$1.png"
    return 0
}

at() { awk -v e="$1" '$1 == e { print $2; exit }' "$log"; }

mkdir "$work/home"
HOME=$work/home CORVANE_VIEW_LOG=$log "$program" 2>"$work/stderr" &
pid=$!
main=$(shown_window '^Corvane$' 60)
xdotool windowsize "$main" 1600 1000 windowmove "$main" 0 0
sleep 3
xdotool mousemove "$open_x" "$open_y" click 1
shown_window '^Select project file to open' 30 >/dev/null
sleep 0.5
xdotool key ctrl+l
xdotool type --delay 5 "$(cd "$(dirname "$project")" && pwd)/$(basename "$project")"
xdotool key Return
await open_finished 300
await first_points_frame 60
await pager_idle_frame 300
awk -v done="$(at open_finished)" -v first="$(at first_points_frame)" -v idle="$(at pager_idle_frame)" \
    -v started="$(at open_started)" 'BEGIN {
    printf "open_s=%.3f\n", done - started
    printf "first_points_frame_after_open_ms=%.1f\n", (first > done ? first - done : 0) * 1000
    printf "first_points_frame_after_open_start_ms=%.1f\n", (first - started) * 1000
    printf "pager_idle_frame_after_open_ms=%.1f\n", (idle > done ? idle - done : 0) * 1000
}'
echo "rss_after_open_mib=$(($(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status") / 1024))"

shot opened
aim
look_along
shot aimed
VIEW_MEMORY_DIVE_STEPS=${VIEW_MEMORY_DIVE_STEPS:-40} VIEW_MEMORY_ZOOM_STEPS=${VIEW_MEMORY_ZOOM_STEPS:-4} \
    "$here/view_memory.sh" "$pid" "$seconds" "$cx" "$cy"
shot driven
kib() { awk -v k="$1" '$1 == k ":" { s += $2 } END { print int(s / 1024) }' "$2"; }
echo "end_anonymous_mib=$(kib Anonymous "/proc/$pid/smaps_rollup")"
echo "end_store_mapped_mib=$(awk '/^[0-9a-f]+-/ { store = ($6 ~ /\.tiles$/) } store && /^Rss:/ { s += $2 } END { print int(s / 1024) }' "/proc/$pid/smaps")"
