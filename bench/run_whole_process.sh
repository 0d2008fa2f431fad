#!/usr/bin/env bash
# Times whole processes reading big scene files: the viewer (talan3d --info), the
# yardstick reader (obvious_reader) and, where assimp is installed, `assimp info`
# without post-processing on the same surface as ASCII PLY.
#
#   bench/run_whole_process.sh BUILD_DIR [ROUNDS]
#
# BUILD_DIR  a CMake build of this project (Release): it needs
#            tools/make_sample_scenes, bench/obvious_reader and shell/talan3d
# ROUNDS     how many times each program reads each file (default 3)
#
# The benchmark files are generated into a temporary directory, removed afterwards:
#   surface.KDX + surface.ply  1,002,528 triangles, one colour per triangle (--grid 708)
#   blocks.KDX                 1,000,000 blocks
# Within a round the programs take turns in a rotating order, so that none of them
# always runs first (cold caches) or last. Each run is timed as a whole process with
# GNU time (wall time and peak resident memory); without /usr/bin/time the shell's
# `time` gives the wall time only. The table shows medians over the rounds.
set -euo pipefail

if [[ $# -lt 1 || $# -gt 2 ]]; then
    echo "usage: $0 BUILD_DIR [ROUNDS]" >&2
    exit 2
fi
source "$(dirname "$0")/common.sh"
need_build "$1"
rounds="${2:-3}"
if ! [[ "$rounds" =~ ^[1-9][0-9]*$ ]]; then
    echo "ROUNDS must be a positive whole number" >&2
    exit 2
fi

obvious="$build/bench/obvious_reader"
for tool in "$generator" "$obvious"; do
    if [[ ! -x "$tool" ]]; then
        echo "missing $tool: build it first (cmake --build $build --target $(basename "$tool"))" >&2
        exit 1
    fi
done
have_talan=0
[[ -x "$talan" ]] && have_talan=1 || echo "note: $talan not built; it is left out" >&2
have_assimp=0
command -v assimp >/dev/null 2>&1 && have_assimp=1 || echo "note: assimp not installed; it is left out" >&2
gnu_time=0
if [[ -x /usr/bin/time ]] && /usr/bin/time -f "%e" true >/dev/null 2>&1; then
    gnu_time=1
else
    echo "note: GNU time (/usr/bin/time) not found; peak memory is not measured" >&2
fi

make_work bench

echo "Generating the benchmark files in $work ..."
"$generator" --scene surface --grid 708 --out "$work/surface.KDX" --ply "$work/surface.ply" 2>"$work/surface.log"
"$generator" --scene blocks --blocks 1000000 --out "$work/blocks.KDX" 2>"$work/blocks.log"
triangles="$(sed -n 's/^triangles: //p' "$work/surface.log")"
blocks=1000000
size_of() { stat -c %s "$1"; }
printf '  surface.KDX %12s bytes (%s triangles)\n' "$(size_of "$work/surface.KDX")" "$triangles"
printf '  surface.ply %12s bytes\n' "$(size_of "$work/surface.ply")"
printf '  blocks.KDX  %12s bytes (%s blocks)\n' "$(size_of "$work/blocks.KDX")" "$blocks"

# The runs, as "program|file".
runs=()
[[ $have_talan == 1 ]] && runs+=("talan3d|surface")
runs+=("obvious_reader|surface")
[[ $have_assimp == 1 ]] && runs+=("assimp|surface")
[[ $have_talan == 1 ]] && runs+=("talan3d|blocks")
runs+=("obvious_reader|blocks")

# The command line of one run. assimp 5.x takes the file before its options.
command_of() {
    case "$1" in
        talan3d) cmd=("$talan" --info "$work/$2.KDX") ;;
        obvious_reader) cmd=("$obvious" "$work/$2.KDX") ;;
        assimp) cmd=(assimp info "$work/$2.ply" -r) ;;
    esac
}

declare -A times=() memory=() failed=()

# Runs one command and appends "seconds kilobytes" to the lists of its key.
time_one() {
    local key="$1"
    shift
    local out="$work/time.out" status=0 seconds="" kb=""
    if [[ $gnu_time == 1 ]]; then
        /usr/bin/time -o "$out" -f "%e %M" "$@" >/dev/null 2>"$work/run.err" || status=$?
        # On failure GNU time writes a "Command exited" line before the figures.
        read -r seconds kb < <(tail -n 1 "$out") || true
    else
        local TIMEFORMAT="%R"
        { time "$@" >/dev/null 2>"$work/run.err"; } 2>"$out" || status=$?
        seconds="$(tail -n 1 "$out")"
        kb=""
    fi
    if [[ $status != 0 ]]; then
        failed[$key]="exit status $status: $(head -c 200 "$work/run.err")"
    fi
    times[$key]="${times[$key]:-} $seconds"
    memory[$key]="${memory[$key]:-} $kb"
}

count=${#runs[@]}
for ((round = 0; round < rounds; ++round)); do
    echo "Round $((round + 1)) of $rounds ..."
    for ((i = 0; i < count; ++i)); do
        IFS='|' read -r label file <<<"${runs[$(((i + round) % count))]}"
        command_of "$label" "$file"
        time_one "$label|$file" "${cmd[@]}"
    done
done

declare -A med_time=()
echo
printf '%-16s %-8s %14s %14s\n' "program" "file" "median wall s" "peak RSS MB"
printf '%-16s %-8s %14s %14s\n' "-------" "----" "-------------" "-----------"
for entry in "${runs[@]}"; do
    IFS='|' read -r label file <<<"$entry"
    key="$label|$file"
    # shellcheck disable=SC2086
    t="$(median ${times[$key]})"
    # shellcheck disable=SC2086
    kb="$(median ${memory[$key]:-})"
    mb="n/a"
    [[ -n "$kb" ]] && mb="$(awk -v k="$kb" 'BEGIN { printf "%.0f", k / 1024 }')"
    med_time[$key]="$t"
    note=""
    [[ -n "${failed[$key]:-}" ]] && note="  FAILED (${failed[$key]})"
    printf '%-16s %-8s %14s %14s%s\n' "$label" "$file" "$t" "$mb" "$note"
done

ratio() {  # ratio A B: A / B with two decimals, or n/a
    if [[ -n "$1" && -n "$2" ]]; then
        awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'
    else
        echo "n/a"
    fi
}
rate() {  # rate COUNT SECONDS: per second, in millions
    if [[ -n "$2" ]]; then
        awk -v n="$1" -v s="$2" 'BEGIN { if (s > 0) printf "%.2f M/s", n / s / 1e6; else print "n/a" }'
    else
        echo "n/a"
    fi
}

echo
if [[ $have_talan == 1 ]]; then
    echo "obvious_reader / talan3d, surface: $(ratio "${med_time[obvious_reader|surface]}" "${med_time[talan3d|surface]}")"
    echo "obvious_reader / talan3d, blocks:  $(ratio "${med_time[obvious_reader|blocks]}" "${med_time[talan3d|blocks]}")"
    echo "talan3d triangles per second:      $(rate "$triangles" "${med_time[talan3d|surface]}")"
    echo "talan3d blocks per second:         $(rate "$blocks" "${med_time[talan3d|blocks]}")"
fi
echo "obvious_reader triangles per second: $(rate "$triangles" "${med_time[obvious_reader|surface]}")"
if [[ $have_assimp == 1 ]]; then
    echo "assimp triangles per second:       $(rate "$triangles" "${med_time[assimp|surface]}")"
    if [[ $have_talan == 1 ]]; then
        echo "talan3d / assimp, triangles per second: $(ratio "${med_time[assimp|surface]}" "${med_time[talan3d|surface]}")"
    fi
fi
echo "(whole processes: start-up, reading and exit; medians of $rounds rounds)"
[[ ${#failed[@]} == 0 ]] || exit 1
