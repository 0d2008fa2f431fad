#!/usr/bin/env bash
# Fuzzes the scene-file reader with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer.
#
#   tools/run_fuzzer.sh [SECONDS] [WORKERS]
#
# SECONDS  how long to fuzz, at least 1 (default 60; libFuzzer would take 0 as "for ever")
# WORKERS  parallel fuzzing processes (default 1)
#
# Environment: FUZZ_BUILD_DIR (default <repo>/build-fuzz), CXX (default clang++).
#
# The target is rebuilt when a source is newer than it. The working corpus lives in
# $FUZZ_BUILD_DIR/corpus and is seeded from the samples in data/samples/ and tests/fuzz/corpus/
# on every run; it keeps growing from run to run. Crashes, timeouts and
# out-of-memory inputs are written to $FUZZ_BUILD_DIR/crashes/ and the run goes on
# after them, so that one run collects all it can find. To reduce one of them:
#
#   build-fuzz/scene_reader_fuzz -minimize_crash=1 -runs=20000 \
#       -exact_artifact_path=min.KDX build-fuzz/crashes/crash-...
set -euo pipefail

# Stack traces for UB reports too, so that every finding shows where it happened.
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"

seconds="${1:-60}"
workers="${2:-1}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ && "$workers" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [SECONDS] [WORKERS]" >&2
    exit 2
fi

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$repo/build-fuzz}"
cxx="${CXX:-clang++}"

# libFuzzer comes with clang only; without it there is nothing to run here (the
# ordinary build still replays the committed corpus through ctest).
if ! command -v "$cxx" >/dev/null 2>&1 || ! "$cxx" --version 2>/dev/null | grep -qi clang; then
    echo "run_fuzzer: clang++ not found (CXX=$cxx); skipping the fuzzing run."
    exit 0
fi

mkdir -p "$build/corpus" "$build/crashes"

sources=("$repo"/scene/*.cpp
         "$repo/render/NormalSmoothing.cpp" "$repo/render/CameraFit.cpp" "$repo/render/CameraMath.cpp"
         "$repo/render/SceneLoad.cpp"
         "$repo/tests/fuzz/SceneReaderFuzz.cpp")
binary="$build/scene_reader_fuzz"

needs_build=0
if [[ ! -x "$binary" ]]; then
    needs_build=1
else
    for f in "${sources[@]}" "$repo"/scene/*.h "$repo"/render/*.h "$0"; do
        if [[ "$f" -nt "$binary" ]]; then needs_build=1; break; fi
    done
fi
if (( needs_build )); then
    echo "run_fuzzer: building $binary"
    # UB reports stop the run like any crash, so that each one leaves an artifact.
    "$cxx" -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer \
        -O1 -g -ffp-contract=off -std=c++20 -Wall -Wextra -I"$repo" \
        "${sources[@]}" -o "$binary.tmp"
    mv "$binary.tmp" "$binary"
fi

# Seeds: the sample scenes and every committed reproducer and seed.
shopt -s nullglob
seeds=("$repo"/data/samples/*.KDX "$repo"/data/samples/*.ts "$repo"/data/samples/*.pl "$repo"/data/samples/drillholes/*.csv "$repo"/tests/fuzz/corpus/*)
shopt -u nullglob
for f in "${seeds[@]}"; do
    if [[ -f "$f" ]]; then cp -f "$f" "$build/corpus/"; fi
done

flags=(
    -max_total_time="$seconds"
    -max_len=65536
    -rss_limit_mb=2048
    -timeout=10
    -artifact_prefix="$build/crashes/"
    -print_final_stats=1
    # Keep fuzzing after a finding; every finding stays in crashes/.
    -fork="$workers" -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1
)
[[ -f "$repo/tests/fuzz/scene.dict" ]] && flags+=(-dict="$repo/tests/fuzz/scene.dict")

log="$build/fuzz-$(date +%Y%m%d-%H%M%S).log"
crashes_before=$(find "$build/crashes" -type f | wc -l)
corpus_before=$(find "$build/corpus" -type f | wc -l)

echo "run_fuzzer: fuzzing for ${seconds}s with $workers worker(s); log in $log"
set +e
(cd "$build" && "$binary" "${flags[@]}" "$build/corpus") >"$log" 2>&1
status=$?
set -e

# Summary. In fork mode the parent reports lines such as
#   #123456: cov: 812 ft: 2950 corp: 310 exec/s 2000 oom/timeout/crash: 0/0/0 time: 60s ...
last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -n 1 || true)
execs=$(sed -nE 's/^#([0-9]+).*/\1/p' <<<"$last")
cov=$(sed -nE 's/.*cov: ([0-9]+).*/\1/p' <<<"$last")
ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$last")
otc=$(sed -nE 's#.*oom/timeout/crash: ([0-9]+/[0-9]+/[0-9]+).*#\1#p' <<<"$last")
crashes_after=$(find "$build/crashes" -type f | wc -l)
corpus_after=$(find "$build/corpus" -type f | wc -l)

echo
echo "=== scene reader fuzzing summary ==="
echo "time:             ${seconds}s, $workers worker(s), libFuzzer exit status $status"
echo "executions:       ${execs:-unknown}"
echo "coverage:         ${cov:-unknown} edges, ${ft:-unknown} features"
echo "corpus:           $corpus_before -> $corpus_after inputs in $build/corpus"
echo "oom/timeout/crash: ${otc:-unknown} (this run)"
echo "findings:         $((crashes_after - crashes_before)) new, $crashes_after in total in $build/crashes"
if (( crashes_after > 0 )); then
    find "$build/crashes" -type f | sort | sed 's/^/  /'
fi
# Sanitizer reports, for a first look at what was found.
grep -E '^(SUMMARY|==[0-9]+==ERROR|.*runtime error)' "$log" | sort | uniq -c | head -n 20 || true
exit 0
