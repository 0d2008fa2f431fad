#!/usr/bin/env bash
# The viewer where only a real window on an X display will do (what the mouse, the
# wheel and the keys do to the picture is for the picture tests that replay them):
# a) a sample named on the command line opens at config.cfg's size and place and is
# drawn; moved and resized, Escape ends it with status 0 and config.cfg holds the new
# outer rectangle, its other lines byte for byte, the keys it lacked at its end; b) no
# effect file: two error boxes, c) a start-up file that is no scene file: the read
# error's box, and config.cfg is left alone. Under openbox, where installed: e) the
# outer rectangle, frame included, and the icon over three starts; f) Alt+Enter fills
# the screen and Escape returns, also after a menu closed with Escape; Escape after a
# menu and a click ends the program; g) a long load's progress window, a tool window
# of the main one, painted green part of the way; h) Escape during a full picture of
# 4.5 million triangles closes the window within a second, and ends the program
# (unless built with sanitizers).
#   viewer_e2e.sh TALAN3D MAKE_SAMPLE_SCENES DATA_DIR [OUT_DIR]
# OUT_DIR keeps the screenshots. Exits 77 (skipped) when a tool it needs is missing.
# A grep at the end of a pipe reads all of it (no -q), or pipefail would fail the pipe.
set -uo pipefail
usage='usage: viewer_e2e.sh TALAN3D MAKE_SAMPLE_SCENES DATA_DIR [OUT_DIR]'
talan3d=$(realpath "${1:?$usage}") samples=$(realpath "${2:?$usage}") data=$(realpath "${3:?$usage}") out=${4:-}
for tool in xvfb-run Xvfb xauth xdotool xprop xwininfo import convert timeout; do
    command -v "$tool" >/dev/null 2>&1 || { echo "viewer_e2e: SKIPPED: '$tool' is not installed" \
        "(Debian packages: xvfb xauth xdotool x11-utils imagemagick)"; exit 77; }
done

# A display of its own number (two runs side by side do not take the same one), run
# twice if need be: keys sent to a bare X server are now and then lost before a window
# takes the focus. -noreset: a server left without a client would refuse the next one.
[ -z "${TALAN_E2E_ON_XVFB:-}" ] && for attempt in 1 2; do
    TALAN_E2E_ON_XVFB=1 timeout -k 10 400 xvfb-run -a -n $((100 + RANDOM % 800)) -s "-noreset -screen 0 1280x1024x24" bash "$0" "$@"
    status=$?
    [ "$status" -eq 0 ] || [ "$status" -eq 77 ] || [ "$attempt" -eq 2 ] && exit "$status"
    echo "viewer_e2e: the run failed (status $status); running it once more"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/talan_e2e.XXXXXX")
[ -n "$out" ] || out=$work/shots
mkdir -p "$out" && rm -f "$out"/*.png
pid= wm= failures=0
trap '[ -n "$pid" ] && kill -CONT "$pid" 2>/dev/null && kill -9 "$pid" 2>/dev/null; [ -n "$wm" ] && kill "$wm" 2>/dev/null; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
say() { echo "viewer_e2e: $*"; }
fail() { say "FAIL: $*"; failures=$((failures + 1)); }
finish() { [ "$failures" -eq 0 ] || { say "$failures check(s) failed; screenshots in $out"; exit 1; }; say "all checks passed"; exit 0; }
holds() { awk -v a="${2:-0}" -v b="${3:-0}" "BEGIN { exit !($1) }"; }  # the awk condition $1 of a=$2, b=$3
# Runs the command after $1 every 0.1 s until it succeeds, at most $1 seconds.
within() { local i; for ((i = 0; i < $1 * 10; i++)); do "${@:2}" && return 0; sleep 0.1; done; return 1; }
shot() { timeout 20 import -window root "$out/$1.png"; }

# Starts the command after $1 in directory $1; its pid in $pid. In a sanitizer build
# memory errors still abort, while the leaks found at exit go to logs for ends_well.
launch() {
    rm -f "$work"/program.log "$work"/sanitizer.*
    (cd "$1" && exec env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb ASAN_OPTIONS="${ASAN_OPTIONS:-}${ASAN_OPTIONS:+:}abort_on_error=1:exitcode=0:log_path=$work/sanitizer" "${@:2}") >"$work/program.log" 2>&1 &
    pid=$!
}
# Starts talan3d in directory $1 on scene file $2 (through the command after them)
# and waits for its window, whose id goes to $window.
run_viewer() {
    launch "$1" "${@:3}" "$talan3d" "$2"
    window=$(find_window '^Talan 3D$' 60) || { fail "no window titled \"Talan 3D\" appeared"; cat "$work/program.log"; return 1; }
}
# Whether the program runs (a zombie has ended); waiting up to $1 s for its end, its status in $status.
running() { [ -r "/proc/$pid/stat" ] && [ "$(sed 's/^.*) //' "/proc/$pid/stat" 2>/dev/null | cut -c1)" != Z ]; }
ended() { ! running; }
wait_exit() {
    within "$1" ended && { wait "$pid"; status=$?; pid=; return 0; }
    say "the program is still running after $1 s; ending it"
    kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; pid=; return 1
}
# Leaks through the program's own code, which shows by name or as talan3d+offset within
# the executable's image: Mesa's driver is unloaded before the leak check, and its
# frames, past the image's end, have no name a suppression could use.
image_end=$(readelf -lW "$talan3d" 2>/dev/null | awk '$1 == "LOAD" { print $3, $6 }' |
    while read -r at size; do printf '%016x\n' $((at + size)); done | sort | tail -n 1)
own_leaks() {
    cat "$work"/sanitizer.* 2>/dev/null | awk -v end="${image_end:-ffffffffffffffff}" '
        function flush() { if (inblock && ours) printf "%s", block; inblock = 0 }
        /^(Direct|Indirect) leak/ { flush(); block = $0 "\n"; inblock = 1; ours = 0; next }
        inblock && /^ *#[0-9]+ / {
            block = block $0 "\n"
            if (index($0, " in talan::") || index($0, " in main ")) ours = 1
            if (match($0, /talan3d\+0x[0-9a-f]+/)) {
                offset = substr($0, RSTART + 10, RLENGTH - 10)
                while (length(offset) < 16) offset = "0" offset
                if (offset < end) ours = 1
            }
            next
        }
        { flush() } END { flush() }'
}
# Waits for the program to end with status 0 and no leak of its own; $1 names the step.
ends_well() {
    local leaks
    wait_exit 30 || { fail "$1: the program did not end"; status=0; }
    [ "$status" -eq 0 ] || { fail "$1: the program ended with status $status"; tail -n 60 "$work/program.log" "$work"/sanitizer.* 2>/dev/null; }
    leaks=$(own_leaks); [ -z "$leaks" ] || fail "$1: the program leaks memory:"$'\n'"$leaks"
}

# Visible windows titled by $1 of the program started last: X may hand a closed
# program's window numbers to the next program, and a search by title alone can meet
# a window that is going.
windows_named() { timeout 10 xdotool search --all --onlyvisible --pid "${pid:-0}" --name "$1" 2>/dev/null; }
closed() { ! windows_named "$2" | grep -x "$1" >/dev/null; }  # window $1 is no longer one titled $2
# The first visible window titled by $1, waited for up to $2 seconds while the program runs.
shown() { w=$(windows_named "$1" | head -n 1); [ -n "$w" ] || ended; }
find_window() { local w=; within "$2" shown "$1" && [ -n "$w" ] && echo "$w"; }
# The rectangle of window $1 as "X Y WIDTH HEIGHT": its own, and with the frame.
inner() { timeout 10 xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
    /^ *Width:/ { w = $2 } /^ *Height:/ { h = $2 } END { print x, y, w, h }'; }
outer() {
    local x y w h; read -r x y w h < <(inner "$1")  # and the frame: left, right, top, bottom
    timeout 10 xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | tr -cs '0-9' ' ' |
        awk -v x="$x" -v y="$y" -v w="$w" -v h="$h" '{ print x - $1, y - $3, w + $1 + $2, h + $3 + $4 } END { if (!NR) print x, y, w, h }'
}
# Waits up to $3 s for the rectangle of window $1 by $4 (inner, outer) to be "$2"; the last seen in $rect.
rect_is() { rect=$($3 "$1"); [ "$rect" = "$2" ]; }
wait_rect() { within "$3" rect_is "$1" "$2" "$4"; }
# Types key $2 into window $1, which gets the focus first; clicks button 1 at $2,$3 of window $1.
press() { timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || timeout 5 xdotool windowfocus "$1"; timeout 5 xdotool key "$2"; }
click() { local x y w h; read -r x y w h < <(inner "$1"); timeout 5 xdotool mousemove "$((x + $2))" "$((y + $3))" click 1; sleep 0.5; }
# Waits up to $2 s for the load into window $1 to end: no other window left open.
alone() { others=$(timeout 10 xdotool search --maxdepth 1 --onlyvisible --name '.+' 2>/dev/null | grep -vx "$1"); [ -z "$others" ]; }
wait_loaded() { within "$2" alone "$1" || { fail "windows other than the main one are still open: $others"; return 1; }; }

crlf() { printf '%s\r\n' "$@"; }
# Makes the start-up directory $work/$1, its path in $dir, with a config.cfg of the
# lines that follow, and keeps a copy of it as $dir.cfg.
new_dir() { dir=$work/$1; mkdir -p "$dir"; crlf "${@:2}" >"$dir/config.cfg"; cp "$dir/config.cfg" "$dir.cfg"; }
saved_rect() { tr -d '\r' <"$1/config.cfg" | awk -F' : ' '{ v[$1] = $2 } END { print v["posx"], v["posy"], v["width"], v["height"] }'; }
# Starts the program $3 times in directory $1 on scene file $2: each time the outer
# rectangle is config.cfg's, Escape ends it, and config.cfg holds the same again.
restarts() {
    local n expected
    expected=$(saved_rect "$1")
    for ((n = 1; n <= $3; n++)); do
        run_viewer "$1" "$2" || return 1
        wait_rect "$window" "$expected" 10 outer || fail "start $n: the window is at $rect, not at $expected"
        [ "$n" -eq 1 ] && [ -n "$wm" ] && { timeout 10 xprop -id "$window" _NET_WM_ICON 2>/dev/null | grep 'Icon (64 x 64)' >/dev/null ||
            fail "the window carries no program icon (Qt's stand-in is 48 x 48 and empty)"; }
        press "$window" Escape
        ends_well "Escape at start $n"
        [ "$(saved_rect "$1")" = "$expected" ] || fail "start $n: config.cfg holds $(saved_rect "$1"), not $expected"
    done
}
# Runs program $3 on file $4 in $dir: the boxes titled "Error", each photographed to
# $1-N.png and closed with Return, must be $2 ($5), then the program ends, leaving
# config.cfg as it was and writing nothing beside it.
error_boxes() {
    local count=0 box
    launch "$dir" "$3" "$4"
    while [ "$count" -lt 5 ] && box=$(find_window '^Error$' 60); do
        count=$((count + 1)); shot "$1-$count"; press "$box" Return; within 10 closed "$box" '^Error$'
    done
    ends_well "$1"
    [ "$count" -eq "$2" ] || fail "$1: $count error boxes instead of $2 ($5)"
    cmp -s "$dir.cfg" "$dir/config.cfg" && [ "$(ls -A "$dir" | grep -v KDX)" = config.cfg ] || fail "$1: the start-up directory changed"
}

say "a) open_pit.KDX from the command line"
new_dir a "# Talan 3D settings, edited by hand" "idioma : 2" "width : 900" "height : 700" "posx : 40" "posy : 30" \
    "" "future_key : kept as written"
if run_viewer "$dir" "$data/samples/open_pit.KDX"; then
    wait_rect "$window" "40 30 900 700" 10 outer || fail "the window starts at $rect, not where config.cfg says"
    wait_loaded "$window" 60
    read -r x y w h < <(inner "$window")
    drawn() {  # the middle of the window is no longer uniform
        shot a_scene
        read -r deviation mean < <(convert "$out/a_scene.png" -crop "$((w / 2))x$((h / 2))+$((x + w / 4))+$((y + h / 4))" \
            +repage -format '%[fx:standard_deviation] %[fx:mean]' info:)
        holds 'a > 0.05 && b > 0.05' "$deviation" "$mean"
    }
    within 30 drawn || fail "no scene drawn: deviation $deviation, mean $mean"
    timeout 10 xdotool windowmove "$window" 120 90
    timeout 10 xdotool windowsize "$window" 800 560
    wait_rect "$window" "120 90 800 560" 10 outer || fail "moved and resized, the window is at $rect"
    press "$window" ctrl+3  # saves the view as 3, which views.cfg keeps
    press "$window" Escape
    ends_well "Escape"
    crlf "# Talan 3D settings, edited by hand" "idioma : 2" "width : 800" "height : 560" "posx : 120" "posy : 90" \
        "" "future_key : kept as written" "color_r : 0" "color_g : 0" "color_b : 0" >"$work/expected_a.cfg"
    cmp -s "$work/expected_a.cfg" "$dir/config.cfg" ||
        { fail "config.cfg after Escape is not as expected"; diff <(od -c "$work/expected_a.cfg") <(od -c "$dir/config.cfg"); }
    # Beside it, the list of files opened last (the one of the command line) and the
    # view saved for it.
    [ "$(ls -A "$dir" | tr '\n' ' ')" = "config.cfg recent.cfg views.cfg " ] ||
        fail "the start-up directory holds more than config.cfg, recent.cfg and views.cfg: $(ls -A "$dir")"
    [ "$(sed -n '1,2p;3s/ .*//p' "$dir/views.cfg" | tr '\n' ' ')" = "set file $(realpath -s "$data/samples/open_pit.KDX") view " ] &&
        grep -q '^view 3 ' "$dir/views.cfg" || fail "views.cfg does not hold view 3 of the file opened: $(cat "$dir/views.cfg")"
    [ "$(cat "$dir/recent.cfg")" = "$(realpath -s "$data/samples/open_pit.KDX")" ] ||
        fail "recent.cfg does not list the file opened: $(cat "$dir/recent.cfg")"
    restarts "$dir" "$data/samples/example.KDX" 2
fi

say "b) no effect file"
mkdir -p "$work/alone" && cp "$talan3d" "$work/alone/talan3d"
new_dir b "idioma : 1" "width : 700" "posx : 5" "# note"
error_boxes b_error 2 "$work/alone/talan3d" "$data/samples/example.KDX" "the failed open, then where the file belongs"
say "c) a start-up file that is not a scene file"
new_dir c "idioma : 2" "height : 500" "color_r : 0.5"
printf 'Tavrim  T3      1,\n1,0,0,\nnot a scene,\n0,0,0,1,0,0,0,1,0,\n' >"$dir/notascene.KDX"
error_boxes c_error 1 "$talan3d" notascene.KDX "the read error"

command -v openbox >/dev/null 2>&1 || { say "openbox is not installed: e) to h) are left out"; finish; }
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep 'window id' >/dev/null; }
for attempt in 1 2; do
    openbox --sm-disable >"$work/wm.log" 2>&1 &
    wm=$!
    within 10 wm_running && break
    kill "$wm" 2>/dev/null; wm=; sleep 1
done
[ -n "$wm" ] || { fail "openbox did not start: $(tail -n 3 "$work/wm.log")"; finish; }

say "e) three starts under a window manager"
new_dir e "idioma : 2" "width : 900" "height : 700" "posx : 40" "posy : 30"
restarts "$dir" "$data/samples/example.KDX" 3

say "f) full screen and Escape, menus and the focus"
new_dir f "idioma : 2" "width : 800" "height : 600" "posx : 20" "posy : 20" "color_r : 0" "color_g : 0" "color_b : 0"
if run_viewer "$dir" "$data/samples/open_pit.KDX" && wait_loaded "$window" 60; then
    read -r sw sh < <(timeout 10 xdotool getdisplaygeometry)
    windowed=$(inner "$window")
    for menu in '' ' after a menu'; do
        press "$window" alt+Return
        wait_rect "$window" "0 0 $sw $sh" 5 inner || fail "after Alt+Enter the window is at $rect, not 0 0 $sw $sh"
        if [ -n "$menu" ]; then  # the first Escape closes the menu, which keeps the keyboard
            click "$window" 20 10 && shot f_menu && timeout 5 xdotool key Escape && sleep 0.3 && timeout 5 xdotool key Escape
        else
            press "$window" Escape
        fi
        wait_rect "$window" "$windowed" 5 inner || fail "Escape in full screen$menu did not return to the window: $rect"
        sleep 0.5
        running || fail "Escape in full screen$menu ended the program"
    done
    click "$window" 20 10
    timeout 5 xdotool key Escape
    click "$window" 300 300
    timeout 5 xdotool key Escape
    ends_well "Escape after a menu and a click"
    cmp -s "$dir.cfg" "$dir/config.cfg" || fail "config.cfg after full screen and Escape holds $(saved_rect "$dir")"
fi

say "g) the progress bar of a long load"
"$samples" --scene surface --grid 1000 --out "$work/big.KDX" 2>/dev/null || fail "make_sample_scenes failed"
# On one core, run in slices from the moment its window shows, so that the progress
# window is met however quick the machine; while the program is stopped the screen
# shows what its progress window last painted.
pin=() && command -v taskset >/dev/null 2>&1 && pin=(taskset -c 0)
step() { kill -CONT "$pid"; sleep "$1"; kill -STOP "$pid"; }
bar=
if run_viewer "$dir" "$work/big.KDX" "${pin[@]}"; then
    kill -STOP "$pid"
    for ((i = 0; i < 1500 && ${#bar} == 0; i++)); do step 0.02; bar=$(windows_named '^Topography$' | head -n 1); done
    [ -n "$bar" ] || fail "no progress window appeared during the load"
fi
if [ -n "$bar" ]; then
    [ "$(xprop -id "$bar" WM_TRANSIENT_FOR | awk '{ print $NF }')" = "$(printf '0x%x' "$window")" ] ||
        fail "the progress window does not belong to the main window"
    xprop -id "$bar" _NET_WM_WINDOW_TYPE | grep _NET_WM_WINDOW_TYPE_UTILITY >/dev/null ||
        fail "the progress window is no tool window: $(xprop -id "$bar" _NET_WM_WINDOW_TYPE)"
    green=0
    while holds 'a < 0.01' "$green" && ! closed "$bar" '^Topography$'; do
        read -r bx by bw bh < <(inner "$bar")
        shot g_progress
        green=$(convert "$out/g_progress.png" -crop "${bw}x$bh+$bx+$by" +repage -fx 'g > 0.8 && r < 0.3 && b < 0.3' -format '%[fx:mean]' info:)
        step 0.05
    done
    holds 'a >= 0.01' "$green" || fail "the progress window was never seen painted (green share $green)"
fi
if [ -n "$pid" ]; then
    kill -CONT "$pid"
    wait_loaded "$window" 120
    press "$window" Escape
    ends_well "Escape after a long load"
fi
rm -f "$work/big.KDX"

say "h) Escape during the full picture of a big model"
"$samples" --scene surface --grid 1500 --out "$work/huge.KDX" 2>/dev/null || fail "make_sample_scenes failed"
frames() { grep -c 'full frame' "$work/program.log"; }
if run_viewer "$dir" "$work/huge.KDX" env TALAN_FRAME_TIMES=1 && wait_loaded "$window" 300; then
    within 60 eval '[ "$(frames)" -gt 0 ]'
    read -r x y w h < <(inner "$window")
    timeout 5 xdotool mousemove "$((x + w / 2))" "$((y + h / 2))" click 5  # a wheel notch: a new picture
    sleep 0.4
    drawn=$(frames) started=$(date +%s%N) gone=
    press "$window" Escape
    for ((i = 0; i < 50; i++)); do
        closed "$window" '^Talan 3D$' && { gone=$((($(date +%s%N) - started) / 1000000)); break; }
        sleep 0.02
    done
    [ "$(frames)" = "$drawn" ] || say "   (the picture was finished before Escape: the machine is quicker than this check assumes)"
    [ -n "$gone" ] && say "   window closed $gone ms after Escape" || fail "the window was still open 1 s after Escape during a picture"
    if [ -z "${ASAN_OPTIONS:-}" ] && ! ldd "$talan3d" | grep -q libasan; then
        wait_exit 1 || fail "the program did not end within 1 s of Escape during a picture"
        [ -z "$pid" ] && [ "$status" = 0 ] || fail "the program ended with status $status"
    else
        ends_well "Escape during a big picture"
    fi
fi
finish
