#!/usr/bin/env bash
# The models users have: a block model of 50 million blocks and a surface of 18
# million triangles (and any other sizes given), generated into a temporary
# directory, each read by talan3d --info and drawn by talan3d --render as whole
# processes, with wall time and peak memory (the block model also drawn as boxes);
# then the render benchmark's frame times on the same files.
#
#   bench/run_big_models.sh BUILD_DIR [BLOCKS [GRID]]
#
# BUILD_DIR  a Release build of this project with tools/make_sample_scenes,
#            shell/talan3d and bench/render_benchmark
# BLOCKS     blocks in the block model (default 50000000, about 1.3 GB of text)
# GRID       cells per side of the surface, 2 x GRID^2 triangles (default 3000:
#            18,000,000 triangles, about 1.85 GB of text)
#
# Needs about 4 GB of disk for the default files and 5 GB of memory for the surface.
set -euo pipefail

if [[ $# -lt 1 || $# -gt 3 ]]; then
    echo "usage: $0 BUILD_DIR [BLOCKS [GRID]]" >&2
    exit 2
fi
source "$(dirname "$0")/common.sh"
need_build "$1"
blocks="${2:-50000000}"
grid="${3:-3000}"
render_benchmark="$build/bench/render_benchmark"
need_tools "$generator" "$talan" "$render_benchmark" /usr/bin/time
make_work big

echo "Generating $blocks blocks and a surface of grid $grid in $work ..."
"$generator" --scene blocks --blocks "$blocks" --out "$work/blocks.KDX" 2>/dev/null
"$generator" --scene surface --grid "$grid" --out "$work/surface.KDX" 2>/dev/null
for f in blocks surface; do
    printf '  %-12s %14s bytes\n' "$f.KDX" "$(stat -c %s "$work/$f.KDX")"
done

# One whole process: wall seconds, peak resident MB and the exit status.
run() {
    local label="$1" status=0 seconds kb
    shift
    timed_run "$work/time.out" "$@" || status=$?
    read -r seconds kb <"$work/time.out"
    printf '%-36s %10s s %10s MB   exit %s\n' "$label" "$seconds" "$((kb / 1024))" "$status"
    [[ $status == 0 ]] || head -c 300 "$work/time.out.err"
}

echo
for f in blocks surface; do
    run "talan3d --info $f.KDX" "$talan" --info "$work/$f.KDX"
    run "talan3d --render (1280x720) $f.KDX" "$talan" --render "$work/$f.png" --size 1280x720 "$work/$f.KDX"
done
# The block model on its lattice is cast by default; its boxes, for comparison.
run "  the same, --draw-blocks boxes" "$talan" --render "$work/boxes.png" --size 1280x720 --draw-blocks boxes \
    "$work/blocks.KDX"

echo
echo "Frame times (render_benchmark on the same files):"
TALAN_BENCH_BLOCKS_FILE="$work/blocks.KDX" TALAN_BENCH_SURFACE_FILE="$work/surface.KDX" \
    "$render_benchmark" --benchmark_filter='File' --benchmark_repetitions=1
