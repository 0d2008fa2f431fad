#!/usr/bin/env bash
# The viewer as a user meets it, on a virtual X display of its own:
#  a) a sample named on the command line opens in the window "Talan 3D" at the
#     size and place of config.cfg and is drawn; after the window is moved and
#     resized, Escape ends the program with status 0 and config.cfg holds the new
#     outer rectangle while its other lines stay byte for byte;
#  b) without the effect file the two error boxes appear, and after they are
#     closed the program ends without touching config.cfg;
#  c) a start-up file without the signature shows the read-error box, and the
#     program ends without touching config.cfg;
#  d) with open_pit.KDX shown, a left drag turns the picture about its middle, a
#     right drag moves it the way the cursor went, the wheel zooms out and in;
#     Alt+Enter fills the screen, Escape then only returns to the window, and a
#     second Escape ends the program with status 0 and config.cfg written.
#
#   viewer_e2e.sh TALAN3D DATA_DIR [OUT_DIR]
#
# OUT_DIR, when given, keeps the screenshots. Exits 77 (skipped) when a tool it
# needs is missing.
set -uo pipefail

talan3d=${1:?usage: viewer_e2e.sh TALAN3D DATA_DIR [OUT_DIR]}
data=${2:?usage: viewer_e2e.sh TALAN3D DATA_DIR [OUT_DIR]}
out=${3:-}

skip() {
    echo "viewer_e2e: SKIPPED: $*"
    exit 77
}
for tool in xvfb-run Xvfb xauth xdotool import convert timeout; do
    command -v "$tool" >/dev/null 2>&1 ||
        skip "'$tool' is not installed (Debian packages: xvfb xauth xdotool imagemagick)"
done

# Start a display of our own, and run the rest of this script on it.
if [ -z "${TALAN_E2E_ON_XVFB:-}" ]; then
    export TALAN_E2E_ON_XVFB=1
    # A display number of its own choosing, so that two runs side by side do not both
    # take the first free one at the same moment.
    # Keys sent to a bare X server are now and then lost before a window takes the
    # focus; a failed run is run once more, and only a second failure counts.
    for attempt in 1 2; do
        timeout -k 10 400 xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x1024x24" bash "$0" "$@"
        status=$?
        [ "$status" -eq 0 ] || [ "$status" -eq 77 ] && exit "$status"
        [ "$attempt" -eq 1 ] && echo "viewer_e2e: the run failed (status $status); running it once more"
    done
    exit "$status"
fi

talan3d=$(realpath "$talan3d")
data=$(realpath "$data")
work=$(mktemp -d "${TMPDIR:-/tmp}/talan_e2e.XXXXXX")
if [ -n "$out" ]; then
    mkdir -p "$out"
    rm -f "$out"/*.png
else
    out=$work/shots
    mkdir -p "$out"
fi

pid= wm=
cleanup() {
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

failures=0
say() { echo "viewer_e2e: $*"; }
fail() {
    say "FAIL: $*"
    failures=$((failures + 1))
}

# Starts talan3d in directory $1 with the remaining arguments; its pid in $pid.
# In a sanitizer build, memory errors still abort the program, while the leaks found
# at its exit go to a log that ends_well() reads (see there).
launch() {
    local dir=$1
    shift
    rm -f "$work"/program.log "$work"/sanitizer.*
    (cd "$dir" && exec env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}${ASAN_OPTIONS:+:}abort_on_error=1:exitcode=0:log_path=$work/sanitizer" \
        "$@") >"$work/program.log" 2>&1 &
    pid=$!
}

# Leaks whose stack passes through the program's own code. Mesa's driver is unloaded
# before the leak check runs at exit, so its frames cannot be named in a suppression
# file; a plain Qt OpenGL window loses the same four blocks (Mesa's and libdbus's).
# Our own code is never unloaded and always shows by name or as talan3d+offset.
own_leaks() {
    local log
    for log in "$work"/sanitizer.*; do
        [ -e "$log" ] || continue
        awk '
            /^(Direct|Indirect) leak/ { block = $0 "\n"; inblock = 1; ours = 0; next }
            inblock && /^ *#[0-9]+ / {
                block = block $0 "\n"
                if (index($0, " in talan::") || index($0, " in main ") || index($0, "talan3d+0x")) ours = 1
                next
            }
            inblock { if (ours) printf "%s", block; inblock = 0 }
            END { if (inblock && ours) printf "%s", block }' "$log"
    done
}

# Waits for the program to end and checks that it ended with status 0, without a
# leak of its own; $1 names the step for the messages.
ends_well() {
    local leaks
    if ! wait_exit 30; then
        fail "$1: the program did not end"
    elif [ "$status" -ne 0 ]; then
        fail "$1: the program ended with status $status"
        cat "$work/program.log" "$work"/sanitizer.* 2>/dev/null | tail -n 60
    fi
    leaks=$(own_leaks)
    [ -z "$leaks" ] || fail "$1: the program leaks memory:"$'\n'"$leaks"
}

# Whether the started program still runs (a zombie has ended).
running() {
    local state=
    [ -r "/proc/$pid/stat" ] || return 1
    state=$(sed 's/^.*) //' "/proc/$pid/stat" 2>/dev/null | cut -c1)
    [ -n "$state" ] && [ "$state" != Z ]
}

# Waits up to $1 seconds for the program to end; its exit status in $status.
status=
wait_exit() {
    local i
    for ((i = 0; i < $1 * 10; i++)); do
        if ! running; then
            wait "$pid"
            status=$?
            pid=
            return 0
        fi
        sleep 0.1
    done
    say "the program is still running after $1 s; ending it"
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    pid=
    return 1
}

# Visible windows whose title matches the regular expression $1.
windows_named() { timeout 10 xdotool search --onlyvisible --name "$1" 2>/dev/null; }

# Prints the first visible window titled by $1, waiting up to $2 seconds while
# the program runs.
find_window() {
    local i w
    for ((i = 0; i < $2 * 10; i++)); do
        w=$(windows_named "$1" | head -n 1)
        if [ -n "$w" ]; then
            echo "$w"
            return 0
        fi
        running || return 1
        sleep 0.1
    done
    return 1
}

# The outer rectangle of window $1 as "X Y WIDTH HEIGHT" (no window manager: no frame).
geometry() {
    timeout 10 xdotool getwindowgeometry --shell "$1" |
        awk -F= '{ v[$1] = $2 } END { print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"] }'
}

# Gives window $1 the keyboard focus and types the key $2, as a user would.
press() {
    timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || timeout 5 xdotool windowfocus "$1"
    timeout 5 xdotool key "$2"
}

# Closes every box titled "Error" with Return, one after the other, until the
# program ends; prints how many there were. Each box is photographed to $1-N.png.
close_error_boxes() {
    local count=0 box i
    while box=$(find_window '^Error$' 60); do
        count=$((count + 1))
        timeout 20 import -window root "$1-$count.png"
        press "$box" Return
        for ((i = 0; i < 100; i++)); do
            windows_named '^Error$' | grep -qx "$box" || break
            sleep 0.1
        done
        [ "$count" -ge 5 ] && break
    done
    echo "$count"
}

# Standard deviation and mean of the middle of window $2 in screenshot $1 (0 to 1).
centre_statistics() {
    local x y w h
    read -r x y w h < <(geometry "$2")
    convert "$1" -crop "$((w / 2))x$((h / 2))+$((x + w / 4))+$((y + h / 4))" +repage \
        -format '%[fx:standard_deviation] %[fx:mean]' info:
}

crlf() { printf '%s\r\n' "$@"; }

# Waits up to $2 seconds for the load into window $1 to end: no progress window
# left beside the main window.
wait_loaded() {
    local i others
    for ((i = 0; i < $2 * 10; i++)); do
        others=$(timeout 10 xdotool search --maxdepth 1 --onlyvisible --name '.+' 2>/dev/null | grep -vx "$1")
        [ -z "$others" ] && return 0
        sleep 0.1
    done
    fail "windows other than the main one are still open: $others"
    return 1
}

# Photographs the screen to $1 until two pictures in a row are the same (at most
# 10 s): nothing turns by itself, so the last frame asked for has been drawn.
settled_shot() {
    local i
    timeout 20 import -window root "$1"
    for ((i = 0; i < 20; i++)); do
        sleep 0.3
        timeout 20 import -window root "$work/next.png"
        [ "$(convert "$1" "$work/next.png" -compose difference -composite -format '%[fx:maxima]' info:)" = 0 ] && break
        mv "$work/next.png" "$1"
    done
}

# The drawing area of window $2 in screenshot $1 (the window less its menu bar)
# as a mask of what differs from the black background; prints the share of the
# area the scene covers and the centre of the covered pixels as shares of the
# width and the height.
scene_measures() {
    local x y w h top=24
    read -r x y w h < <(geometry "$2")
    convert "$1" -crop "${w}x$((h - top))+$x+$((y + top))" +repage -colorspace gray -threshold 2% "$work/mask.png"
    local area cx cy
    area=$(convert "$work/mask.png" -format '%[fx:mean]' info:)
    # The centre along an axis: the mask squeezed to one row (column) of means.
    centre() { convert "$work/mask.png" -scale "$1" -depth 8 gray:- | od -An -v -tu1 |
        awk '{ for (i = 1; i <= NF; i++) { s += $i; m += $i * n; n++ } } END { print s ? (m / s + 0.5) / n : 0.5 }'; }
    cx=$(centre "${w}x1!")
    cy=$(centre "1x$((h - top))!")
    echo "$area $cx $cy"
}

# The share of pixels that differ clearly between screenshots $1 and $2.
changed_share() {
    convert "$1" "$2" -compose difference -composite -colorspace gray -threshold 10% -format '%[fx:mean]' info:
}

# Whether the awk condition $1 holds for the numbers a, b, c, ... that follow.
holds() {
    local condition=$1
    shift
    awk -v a="${1:-0}" -v b="${2:-0}" -v c="${3:-0}" -v d="${4:-0}" "BEGIN { exit !($condition) }"
}

# Drags with button $1 from $2,$3 by $4,$5 pixels in $6 equal moves, as a hand does.
drag() {
    local i
    timeout 5 xdotool mousemove "$2" "$3"
    sleep 0.2
    timeout 5 xdotool mousedown "$1"
    for ((i = 1; i <= $6; i++)); do
        sleep 0.05
        timeout 5 xdotool mousemove "$(($2 + $4 * i / $6))" "$(($3 + $5 * i / $6))"
    done
    sleep 0.1
    timeout 5 xdotool mouseup "$1"
}

# --- a) a sample from the command line, Escape, the settings written back ------------
say "a) open_pit.KDX from the command line"
start=$work/start_a
mkdir -p "$start"
crlf "# Talan 3D settings, edited by hand" "idioma : 2" "width : 900" "height : 700" "posx : 40" "posy : 30" \
    "" "future_key : kept as written" >"$start/config.cfg"
launch "$start" "$talan3d" "$data/samples/open_pit.KDX"
if ! window=$(find_window '^Talan 3D$' 60); then
    fail "no window titled \"Talan 3D\" appeared"
    cat "$work/program.log"
else
    read -r x y w h < <(geometry "$window")
    [ "$x $y $w $h" = "40 30 900 700" ] || fail "the window starts at $x,$y size ${w}x$h, not where config.cfg says"
    # The load is over when no progress window is left beside the main window.
    for ((i = 0; i < 600; i++)); do
        others=$(timeout 10 xdotool search --maxdepth 1 --onlyvisible --name '.+' 2>/dev/null | grep -vx "$window")
        [ -z "$others" ] && break
        sleep 0.1
    done
    [ -z "$others" ] || fail "windows other than the main one are still open: $others"
    drawn='' deviation='' mean=''
    for ((i = 0; i < 60; i++)); do
        timeout 20 import -window root "$out/a_scene.png"
        read -r deviation mean < <(centre_statistics "$out/a_scene.png" "$window")
        if awk -v d="$deviation" -v m="$mean" 'BEGIN { exit !(d > 0.05 && m > 0.05) }'; then
            drawn=1
            break
        fi
        sleep 0.5
    done
    [ -n "$drawn" ] || fail "the middle of the window stays uniform (deviation $deviation, mean $mean): no scene drawn"

    timeout 10 xdotool windowmove "$window" 120 90
    timeout 10 xdotool windowsize "$window" 800 560
    for ((i = 0; i < 100; i++)); do
        read -r x y w h < <(geometry "$window")
        [ "$x $y $w $h" = "120 90 800 560" ] && break
        sleep 0.1
    done
    [ "$x $y $w $h" = "120 90 800 560" ] || fail "moved and resized, the window is at $x,$y size ${w}x$h"
    timeout 20 import -window root "$out/a_moved.png"
    press "$window" Escape
    ends_well "Escape"
    crlf "# Talan 3D settings, edited by hand" "idioma : 2" "width : $w" "height : $h" "posx : $x" "posy : $y" \
        "" "future_key : kept as written" >"$work/expected_a.cfg"
    if ! cmp -s "$work/expected_a.cfg" "$start/config.cfg"; then
        fail "config.cfg after Escape is not as expected"
        diff <(od -c "$work/expected_a.cfg") <(od -c "$start/config.cfg")
    fi
    [ "$(ls -A "$start")" = config.cfg ] || fail "the start-up directory holds more than config.cfg: $(ls -A "$start")"
fi

# --- b) no effect file beside the program nor in the start-up directory --------------
say "b) no effect file"
alone=$work/alone
start=$work/start_b
mkdir -p "$alone" "$start"
cp "$talan3d" "$alone/talan3d"
crlf "idioma : 1" "width : 700" "posx : 5" "# note" >"$start/config.cfg"
cp "$start/config.cfg" "$work/config_b.cfg"
launch "$start" "$alone/talan3d" "$data/samples/example.KDX"
boxes=$(close_error_boxes "$out/b_error")
ends_well "without the effect file"
[ "$boxes" -eq 2 ] || fail "$boxes error boxes instead of 2 (the failed open, then where the file belongs)"
cmp -s "$work/config_b.cfg" "$start/config.cfg" || fail "config.cfg changed"
[ "$(ls -A "$start")" = config.cfg ] || fail "the start-up directory holds more than config.cfg: $(ls -A "$start")"

# --- c) a start-up file without the signature ----------------------------------------
say "c) a start-up file that is not a scene file"
start=$work/start_c
mkdir -p "$start"
printf 'Tavrim  T3      1,\n1,0,0,\nnot a scene,\n0,0,0,1,0,0,0,1,0,\n' >"$start/notascene.KDX"
crlf "idioma : 2" "height : 500" "color_r : 0.5" >"$start/config.cfg"
cp "$start/config.cfg" "$work/config_c.cfg"
launch "$start" "$talan3d" notascene.KDX
boxes=$(close_error_boxes "$out/c_error")
ends_well "with a start-up file that is not a scene file"
[ "$boxes" -eq 1 ] || fail "$boxes error boxes instead of 1 (the read error)"
cmp -s "$work/config_c.cfg" "$start/config.cfg" || fail "config.cfg changed"

# --- d) turning, moving and zooming with the mouse; full screen and Escape ------------
say "d) the mouse and the keyboard on open_pit.KDX"
start=$work/start_d
mkdir -p "$start"
crlf "idioma : 2" "width : 800" "height : 600" "posx : 20" "posy : 20" >"$start/config.cfg"
# Full screen is the window manager's to grant: without one the window keeps its
# size, and only what Escape does can be checked.
if command -v openbox >/dev/null 2>&1 && command -v xprop >/dev/null 2>&1; then
    openbox --sm-disable >"$work/wm.log" 2>&1 &
    wm=$!
    for ((i = 0; i < 200; i++)); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
    if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
        say "openbox did not start: $(tail -n 3 "$work/wm.log")"
        kill "$wm" 2>/dev/null
        wm=
    fi
fi
[ -n "$wm" ] || say "no window manager: the full-screen size is not checked (Debian packages: openbox x11-utils)"
launch "$start" "$talan3d" "$data/samples/open_pit.KDX"
if ! window=$(find_window '^Talan 3D$' 60); then
    fail "no window titled \"Talan 3D\" appeared"
    cat "$work/program.log"
elif wait_loaded "$window" 60; then
    read -r x y w h < <(geometry "$window")
    mx=$((x + w / 2)) my=$((y + h / 2))
    for ((i = 0; i < 60; i++)); do
        settled_shot "$out/d_start.png"
        read -r area0 cx0 cy0 < <(scene_measures "$out/d_start.png" "$window")
        holds 'a > 0.1' "$area0" && break
        sleep 0.5
    done
    holds 'a > 0.1 && a < 0.95' "$area0" || fail "the scene covers $area0 of the drawing area at the start"

    # Left: the scene turns about the point looked at, which stays in the middle.
    drag 1 "$((mx - 150))" "$my" 300 0 30
    settled_shot "$out/d_turned.png"
    read -r area1 cx1 cy1 < <(scene_measures "$out/d_turned.png" "$window")
    share=$(changed_share "$out/d_start.png" "$out/d_turned.png")
    holds 'a > 0.05' "$share" || fail "a left drag changed only $share of the picture"
    holds '(a - b) ^ 2 < 0.15 ^ 2 && (c - d) ^ 2 < 0.15 ^ 2' "$cx0" "$cx1" "$cy0" "$cy1" ||
        fail "after a left drag the scene's centre went from $cx0,$cy0 to $cx1,$cy1"

    # Right: the scene follows the cursor, right and down.
    drag 3 "$((mx - 100))" "$((my - 50))" 120 60 12
    settled_shot "$out/d_moved.png"
    read -r area2 cx2 cy2 < <(scene_measures "$out/d_moved.png" "$window")
    holds 'b - a > 0.03 && d - c > 0.02' "$cx1" "$cx2" "$cy1" "$cy2" ||
        fail "after a right drag to the right and down the scene's centre went from $cx1,$cy1 to $cx2,$cy2"

    # The wheel: three steps towards the user zoom out, six away from the user zoom in.
    timeout 5 xdotool mousemove "$mx" "$my"
    timeout 5 xdotool click --repeat 3 --delay 100 5
    settled_shot "$out/d_zoomed_out.png"
    read -r area3 _ < <(scene_measures "$out/d_zoomed_out.png" "$window")
    holds 'b < a * 0.9' "$area2" "$area3" || fail "zooming out, the scene's area went from $area2 to $area3"
    timeout 5 xdotool click --repeat 6 --delay 100 4
    settled_shot "$out/d_zoomed_in.png"
    read -r area4 _ < <(scene_measures "$out/d_zoomed_in.png" "$window")
    holds 'b > a * 1.1' "$area3" "$area4" || fail "zooming in, the scene's area went from $area3 to $area4"

    say "scene area and centre: start $area0 $cx0,$cy0; turned $area1 $cx1,$cy1; moved $area2 $cx2,$cy2;" \
        "zoomed out $area3, in $area4"

    # Alt+Enter fills the screen; Escape returns to the window and the program goes on.
    read -r sw sh < <(timeout 10 xdotool getdisplaygeometry)
    # The switch is a key like any other: the window must hold the focus first.
    for ((i = 0; i < 50; i++)); do
        timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null
        [ "$(timeout 5 xdotool getwindowfocus 2>/dev/null)" = "$window" ] && break
        sleep 0.1
    done
    press "$window" alt+Return
    for ((i = 0; i < 50; i++)); do
        read -r fx fy fw fh < <(geometry "$window")
        [ "$fx $fy $fw $fh" = "0 0 $sw $sh" ] && break
        sleep 0.1
    done
    [ -z "$wm" ] || [ "$fx $fy $fw $fh" = "0 0 $sw $sh" ] ||
        fail "after Alt+Enter the window is at $fx,$fy size ${fw}x$fh, not ${sw}x$sh"
    settled_shot "$out/d_full_screen.png"
    press "$window" Escape
    for ((i = 0; i < 50; i++)); do
        read -r fx fy fw fh < <(geometry "$window")
        [ "$fx $fy $fw $fh" = "$x $y $w $h" ] && break
        sleep 0.1
    done
    [ "$fx $fy $fw $fh" = "$x $y $w $h" ] || fail "after Escape in full screen the window is at $fx,$fy size ${fw}x$fh"
    sleep 0.5
    running || fail "Escape in full screen ended the program"
    settled_shot "$out/d_windowed.png"
    if running; then
        press "$window" Escape
        ends_well "Escape after full screen"
        # The outer rectangle is written: the window's own, or with a manager's frame
        # around it as large at least.
        read -r cw ch cx cy < <(tr -d '\r' <"$start/config.cfg" |
            awk -F' : ' '{ v[$1] = $2 } END { print v["width"], v["height"], v["posx"], v["posy"] }')
        if [ -n "$wm" ]; then
            holds 'a >= b && c >= d' "$cw" "$w" "$ch" "$h" || fail "config.cfg holds ${cw}x$ch, less than the window's ${w}x$h"
            w=$cw h=$ch x=$cx y=$cy
        fi
        crlf "idioma : 2" "width : $w" "height : $h" "posx : $x" "posy : $y" >"$work/expected_d.cfg"
        if ! cmp -s "$work/expected_d.cfg" "$start/config.cfg"; then
            fail "config.cfg after the second Escape is not as expected"
            diff <(od -c "$work/expected_d.cfg") <(od -c "$start/config.cfg")
        fi
    fi
fi

if [ "$failures" -ne 0 ]; then
    say "$failures check(s) failed${3:+; screenshots in $out}"
    exit 1
fi
say "all checks passed"
