#!/usr/bin/env bash
# The viewer's steps as a user meets them with big models: the real program on a
# virtual display under openbox, driven with xdotool, with its frame times
# (TALAN_FRAME_TIMES) read from standard error. For each scene file it prints
#   - when the first picture shows (a quick one and the full one) after the start,
#   - the frames drawn while the mouse drags the view (how many, median and worst),
#   - how long after the mouse stops the full picture shows,
#   - how long Escape, then End (Ctrl+Q) on a second run, take to end the program
#     while a full picture is being drawn.
#
#   bench/run_viewer_steps.sh TALAN3D WIDTHxHEIGHT SCENE.KDX [SCENE.KDX ...]
#
# Needs Xvfb, openbox and xdotool. Scenes come from tools/make_sample_scenes, for
# instance --scene blocks --blocks 5000000, or --scene surface --grid 3000.
set -uo pipefail

if [[ $# -lt 3 ]]; then
    echo "usage: $0 TALAN3D WIDTHxHEIGHT SCENE.KDX [SCENE.KDX ...]" >&2
    exit 2
fi
source "$(dirname "$0")/common.sh"
talan="$(realpath "$1")"
size="$2"
shift 2
width="${size%x*}"
height="${size#*x}"
need_tools "$talan" xdotool
make_work viewer
start_desktop "$((width + 200))x$((height + 200))"

# The epoch time of the first line of the log, after line $2, that matches $1;
# waits up to $3 seconds.
wait_for() {
    local pattern="$1" after="$2" limit="$3" waited=0 line
    while :; do
        line=$(tail -n +"$((after + 1))" "$work/frames.log" | grep -m1 -E "$pattern")
        if [[ -n "$line" ]]; then
            awk '{ print $NF }' <<<"$line"
            return 0
        fi
        (( waited >= limit * 10 )) && return 1
        sleep 0.1
        waited=$((waited + 1))
    done
}
lines() { wc -l <"$work/frames.log"; }

# Starts the viewer on $1 in the work folder, with a window of about the size asked.
start() {
    printf 'color_r : 0\ncolor_g : 0\ncolor_b : 0\nwidth : %s\nheight : %s\nposx : 0\nposy : 0\nidioma : 1\n' \
        "$((width + 10))" "$((height + 60))" >"$work/config.cfg"
    : >"$work/frames.log"
    started=$(now)
    (cd "$work" && TALAN_FRAME_TIMES=1 exec "$talan" "$1" 2>"$work/frames.log") &
    viewer=$!
}

# Waits for the viewer to end, up to 30 s; prints the seconds from $1.
ended_after() {
    local from="$1" i
    for ((i = 0; i < 600; i++)); do
        kill -0 "$viewer" 2>/dev/null || { since "$from" "$(now)"; return 0; }
        sleep 0.05
    done
    kill -9 "$viewer" 2>/dev/null
    echo "did not end in 30 s"
}

window() { timeout 60 xdotool search --sync --onlyvisible --name "Talan 3D" 2>/dev/null | head -n 1; }
# Sends the keys $2 to window $1 as typed there.
keys() { xdotool windowfocus --sync "$1" 2>/dev/null; xdotool key "$2"; }

for scene in "$@"; do
    echo "== $(basename "$scene") ($(stat -c %s "$scene") bytes), drawing area about ${width}x${height}"
    start "$scene"
    quick=$(wait_for " frame " 0 120) || { echo "no picture in 120 s"; cat "$work/frames.log"; kill -9 $viewer; continue; }
    full=$(wait_for "full frame" 0 300) || full=""
    echo "first picture after start: $(since "$started" "$quick") s; full picture: $([[ -n $full ]] && since "$started" "$full" || echo none) s"
    grep -m1 "full frame" "$work/frames.log" | sed 's/^/  /'

    id=$(window)
    [[ -n "$id" ]] || { echo "no window: the viewer ended"; tail -n 5 "$work/frames.log"; continue; }
    xdotool windowactivate --sync "$id" 2>/dev/null
    eval "$(xdotool getwindowgeometry --shell "$id")"
    cx=$((X + WIDTH / 2)); cy=$((Y + HEIGHT / 2))
    before=$(lines)
    xdotool mousemove "$cx" "$cy" mousedown 1
    for step in $(seq 1 40); do
        xdotool mousemove_relative -- 6 1
        sleep 0.05
    done
    xdotool mouseup 1
    stopped=$(now)
    tail -n +"$((before + 1))" "$work/frames.log" | grep " frame " | awk -v s="$stopped" '$NF <= s { print $4 }' |
        sort -n | awk '{ v[NR] = $1 } END { if (NR) printf "drag, 2 s: %d frames, median %.3f s, worst %.3f s\n", NR, v[int((NR + 1) / 2)], v[NR]; else print "drag: no frame" }'
    after=$(lines)
    settled=$(wait_for "full frame" "$after" 120) && echo "full picture after the mouse stops: $(since "$stopped" "$settled") s" ||
        echo "full picture after the mouse stops: none in 120 s"

    # Escape while a full picture is being drawn: a wheel notch starts one.
    xdotool click 4
    sleep 0.4
    pressed=$(now)
    keys "$id" Escape
    echo "Escape during a frame ends the program in: $(ended_after "$pressed") s"

    start "$scene"
    wait_for " frame " 0 120 >/dev/null
    id=$(window)
    [[ -n "$id" ]] || { echo "no window: the viewer ended"; tail -n 5 "$work/frames.log"; continue; }
    xdotool windowactivate --sync "$id" 2>/dev/null
    xdotool click 5
    sleep 0.4
    pressed=$(now)
    keys "$id" ctrl+q
    echo "End (Ctrl+Q) during a frame ends the program in: $(ended_after "$pressed") s"
done
