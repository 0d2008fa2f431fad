#!/usr/bin/env bash
# Files of many small sections, as drill-hole databases export them (one section of
# 20 intervals per hole): how long the viewer takes from its start until its window
# shows the scene, beside talan3d --render on the same file.
#
#   bench/run_many_objects.sh BUILD_DIR [HOLES...]
#
# BUILD_DIR  a Release build with tools/make_sample_scenes and shell/talan3d
# HOLES      numbers of holes (default 1000 5000 20000)
#
# The viewer runs on a virtual X display of its own, under openbox (both must be
# installed). It is taken to show the scene once the brightest pixel of a band across
# the lower middle of its drawing area is well above the black background: the holes
# are thin lines, which a mean over the window would not see, and the band lies below
# the progress window, which is centred on the drawing area. Polled every 50 ms; the
# times are medians of 3 runs.
set -euo pipefail

if [[ $# -lt 1 ]]; then
    echo "usage: $0 BUILD_DIR [HOLES...]" >&2
    exit 2
fi
source "$(dirname "$0")/common.sh"
need_build "$1"
shift
counts=("$@")
[[ ${#counts[@]} -gt 0 ]] || counts=(1000 5000 20000)
need_tools "$generator" "$talan" xdotool import bc
make_work many
start_desktop 1280x1024
cd "$work"
printf 'width : 800\nheight : 600\nposx : 0\nposy : 0\nidioma : 2\n' >config.cfg


# Seconds from the viewer's start until its drawing area is no longer all background.
viewer_seconds() {
    local file=$1 start pid window seconds=""
    start=$(now)
    "$talan" "$file" >/dev/null 2>&1 &
    pid=$!
    for ((i = 0; i < 1200; i++)); do
        window=$(xdotool search --onlyvisible --name '^Talan 3D$' 2>/dev/null | head -n 1 || true)
        # The brightest pixel of the band, 0 to 1.
        if [[ -n "$window" ]] &&
            peak=$(import -window "$window" -gravity center -crop 60%x20%+0+120 +repage -colorspace Gray \
                   -format '%[fx:maxima]' info: 2>/dev/null) &&
            [[ -n "$peak" ]] && awk -v p="$peak" 'BEGIN { exit !(p > 0.2) }'; then
            seconds=$(echo "$(now) - $start" | bc)
            break
        fi
        sleep 0.05
    done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null || true
    echo "${seconds:-timeout}"
}

render_seconds() {
    local start
    start=$(now)
    "$talan" --render "$work/picture.png" "$1" >/dev/null 2>&1
    echo "$(now) - $start" | bc
}

printf '%-8s %-10s %14s %14s\n' "holes" "file MB" "viewer s" "--render s"
for holes in "${counts[@]}"; do
    file="$work/holes$holes.KDX"
    "$generator" --scene drill-holes --holes "$holes" --out "$file" >/dev/null 2>&1
    viewer=() render=()
    for round in 1 2 3; do
        viewer+=("$(viewer_seconds "$file")")
        render+=("$(render_seconds "$file")")
    done
    printf '%-8s %-10s %14s %14s\n' "$holes" "$(($(stat -c %s "$file") / 1000000))" "$(median "${viewer[@]}")" \
        "$(median "${render[@]}")"
done
