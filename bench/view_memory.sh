#!/bin/sh
# Drives the program's 3-D model view for a while (zoom in, turn, zoom out,
# turn) and prints the program's resident memory as name=value figures.
# The program must be running on $DISPLAY with a cloud shown in the model
# view.  usage: bench/view_memory.sh PID [SECONDS] [X Y]
#   PID      the program's process
#   SECONDS  how long to drive the view (60)
#   X Y      a point inside the model view, in screen pixels (960 560)
set -eu
pid=$1
seconds=${2:-60}
x=${3:-960}
y=${4:-560}
dive=${VIEW_MEMORY_DIVE_STEPS:-60}   # wheel steps in before the rounds: close to the points
zoom=${VIEW_MEMORY_ZOOM_STEPS:-12}   # wheel steps in and out each round
command -v xdotool >/dev/null || { echo "view_memory: xdotool is needed" >&2; exit 1; }
[ -r "/proc/$pid/status" ] || { echo "view_memory: no process $pid" >&2; exit 1; }

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status"; }
hwm_kib() { awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status"; }

wheel() { # button count
    i=0
    while [ "$i" -lt "$2" ]; do xdotool click "$1"; sleep 0.05; i=$((i + 1)); done
}

turn() { # dx dy
    xdotool mousemove "$x" "$y" mousedown 1
    i=0
    while [ "$i" -lt 10 ]; do
        xdotool mousemove_relative -- $(($1 / 10)) $(($2 / 10)); sleep 0.03; i=$((i + 1))
    done
    # Held still before the release: a moving release throws the view into
    # a spin that no two runs share.
    sleep 0.2
    xdotool mouseup 1
}

start_rss=$(rss_kib)
xdotool mousemove "$x" "$y"
wheel 4 "$dive"

max_rss=$start_rss
end=$(($(date +%s) + seconds))
round=0
while [ "$(date +%s)" -lt "$end" ]; do
    xdotool mousemove "$x" "$y"
    case $((round % 4)) in
        0) wheel 4 "$zoom" ;;
        1) turn 300 80 ;;
        2) wheel 5 "$zoom" ;;
        3) turn -200 -60 ;;
    esac
    round=$((round + 1))
    sleep 0.3
    now=$(rss_kib)
    [ "$now" -gt "$max_rss" ] && max_rss=$now
done
# Zoomed out at the end: what is given back shows after the pager's expiry.
wheel 5 30
sleep 3
echo "view_seconds=$seconds"
echo "view_rounds=$round"
echo "rss_start_mib=$((start_rss / 1024))"
echo "rss_max_mib=$((max_rss / 1024))"
echo "rss_end_zoomed_out_mib=$(($(rss_kib) / 1024))"
echo "hwm_mib=$(($(hwm_kib) / 1024))"
echo "load_average=$(cut -d' ' -f1-3 /proc/loadavg | tr ' ' ',')"
