# Steps the benchmark scripts share; sourced by them, not run on its own.
#   need_build DIR        $build: DIR made absolute; $generator and $talan in it
#   need_tools TOOL...    ends the script unless each is an executable path or command
#   make_work NAME        $work: a temporary folder, removed at exit with what on_exit added
#   on_exit COMMAND       run at exit, before the folder goes
#   now, since A B        epoch seconds; B - A with two decimals
#   median N...           the median of the numbers given (empty when none)
#   timed_run OUT CMD...  runs CMD quietly under GNU time; "seconds kilobytes" to OUT,
#                         its standard error to OUT.err; returns its exit status
#   start_desktop WxH     a virtual X display of its own with openbox on it

need_build() {
    build="$(cd "$1" && pwd)"
    generator="$build/tools/make_sample_scenes"
    talan="$build/shell/talan3d"
}

need_tools() {
    local tool
    for tool in "$@"; do
        if [[ "$tool" == */* ]]; then
            [[ -x "$tool" ]] || { echo "missing $tool: build it first" >&2; exit 1; }
        else
            command -v "$tool" >/dev/null 2>&1 || { echo "missing $tool: install it first" >&2; exit 1; }
        fi
    done
}

exit_steps=()
on_exit() { exit_steps+=("$1"); }
run_exit_steps() {
    local step
    for step in "${exit_steps[@]}"; do eval "$step" 2>/dev/null || true; done
    [[ -n "${work:-}" ]] && rm -rf "$work"
}
make_work() {
    work="$(mktemp -d "${TMPDIR:-/tmp}/talan-$1.XXXXXX")"
    trap run_exit_steps EXIT
}

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

median() {
    printf '%s\n' "$@" | grep -E '^[0-9.]+$' | sort -g | awk '{ v[NR] = $1 } END {
        if (NR == 0) exit
        if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

timed_run() {
    local out="$1" status=0
    shift
    /usr/bin/time -o "$out" -f "%e %M" "$@" >/dev/null 2>"$out.err" || status=$?
    # On failure GNU time writes a "Command exited" line before the figures.
    tail -n 1 "$out" >"$out.last" && mv "$out.last" "$out"
    return "$status"
}

start_desktop() {
    local width="${1%x*}" height="${1#*x}"
    need_tools Xvfb openbox
    export DISPLAY=":$((90 + RANDOM % 400))"
    Xvfb "$DISPLAY" -noreset -screen 0 "${width}x${height}x24" -nolisten tcp >/dev/null 2>&1 &
    on_exit "kill $!"
    sleep 1
    openbox --sm-disable >/dev/null 2>&1 &
    on_exit "kill $!"
    sleep 1
}
