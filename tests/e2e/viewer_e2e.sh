#!/usr/bin/env bash
# The viewer as a user meets it, on a virtual X display of its own:
#  a) a sample named on the command line opens in the window "Talan 3D" at the
#     size and place of config.cfg and is drawn; after the window is moved and
#     resized, Escape ends the program with status 0 and config.cfg holds the new
#     outer rectangle while its other lines stay byte for byte, and the keys it lacked
#     are added at its end; the next starts keep that rectangle;
#  b) without the effect file the two error boxes appear, and after they are
#     closed the program ends without touching config.cfg;
#  c) a start-up file without the signature shows the read-error box, and the
#     program ends without touching config.cfg;
# then under a window manager (openbox) where one is installed:
#  d) with open_pit.KDX shown, a left drag turns the picture about its middle, a
#     right drag moves it the way the cursor went, the wheel zooms out and in;
#     Alt+Enter fills the screen, Escape then only returns to the window, and a
#     second Escape ends the program with status 0 and config.cfg written;
#  e) the outer rectangle, frame included, stays that of config.cfg over three
#     starts, and the window carries the program's icon;
#  f) after a menu was opened with the mouse and closed with Escape, Escape still
#     leaves full screen, and after a click in the picture it ends the program;
#  g) a long load shows its progress window over the main window, with the green
#     bar painted part of the way;
#  h) with a surface of 4.5 million triangles, whose full picture is drawn in
#     pieces, Escape during such a picture closes the window within a second (and
#     ends the program within a second unless built with sanitizers).
#
#   viewer_e2e.sh TALAN3D MAKE_SAMPLE_SCENES DATA_DIR [OUT_DIR]
#
# OUT_DIR, when given, keeps the screenshots. Exits 77 (skipped) when a tool it
# needs is missing.
set -uo pipefail
# A grep at the end of a pipe reads all of it (no -q): one that stopped at the first
# match would make the pipe fail through pipefail.

usage='usage: viewer_e2e.sh TALAN3D MAKE_SAMPLE_SCENES DATA_DIR [OUT_DIR]'
talan3d=${1:?$usage}
samples=${2:?$usage}
data=${3:?$usage}
out=${4:-}

skip() {
    echo "viewer_e2e: SKIPPED: $*"
    exit 77
}
for tool in xvfb-run Xvfb xauth xdotool xprop xwininfo import convert timeout; do
    command -v "$tool" >/dev/null 2>&1 ||
        skip "'$tool' is not installed (Debian packages: xvfb xauth xdotool x11-utils imagemagick)"
done

# Start a display of our own, and run the rest of this script on it.
if [ -z "${TALAN_E2E_ON_XVFB:-}" ]; then
    export TALAN_E2E_ON_XVFB=1
    # A display number of its own choosing, so that two runs side by side do not both
    # take the first free one at the same moment.
    # Keys sent to a bare X server are now and then lost before a window takes the
    # focus; a failed run is run once more, and only a second failure counts.
    # -noreset: without a window manager the server is left without a client between
    # two starts of the program, and a server that resets then refuses the next one
    # for a moment ("could not connect to display").
    for attempt in 1 2; do
        timeout -k 10 400 xvfb-run -a -n $((100 + RANDOM % 800)) -s "-noreset -screen 0 1280x1024x24" bash "$0" "$@"
        status=$?
        [ "$status" -eq 0 ] || [ "$status" -eq 77 ] && exit "$status"
        [ "$attempt" -eq 1 ] && echo "viewer_e2e: the run failed (status $status); running it once more"
    done
    exit "$status"
fi

talan3d=$(realpath "$talan3d")
samples=$(realpath "$samples")
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
    [ -n "$pid" ] && kill -CONT "$pid" 2>/dev/null && kill -9 "$pid" 2>/dev/null
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

# --- starting and ending the program ----------------------------------------------

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

# Starts talan3d in directory $1 on the scene file $2, through the command that
# follows if any, and waits for its main window, whose id goes to $window; fails the
# check and returns 1 when none appears.
run_viewer() {
    local dir=$1 file=$2
    shift 2
    launch "$dir" "$@" "$talan3d" "$file"
    if ! window=$(find_window '^Talan 3D$' 60); then
        fail "no window titled \"Talan 3D\" appeared"
        cat "$work/program.log"
        return 1
    fi
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

# Leaks whose stack passes through the program's own code. Mesa's driver is unloaded
# before the leak check runs at exit, so its frames cannot be named in a suppression
# file; a plain Qt OpenGL window loses the same four blocks (Mesa's and libdbus's).
# Our own code is never unloaded and always shows by name or as talan3d+offset within
# the executable's image; a frame placed past the image's end (code the drivers made
# or unloaded, mapped after it) is not ours.
image_end=$(readelf -lW "$talan3d" 2>/dev/null | awk '$1 == "LOAD" { print $3, $6 }' |
    while read -r at size; do printf '%016x\n' $((at + size)); done | sort | tail -n 1)
own_leaks() {
    local log
    for log in "$work"/sanitizer.*; do
        [ -e "$log" ] || continue
        awk -v end="${image_end:-ffffffffffffffff}" '
            /^(Direct|Indirect) leak/ { block = $0 "\n"; inblock = 1; ours = 0; next }
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

# --- windows ----------------------------------------------------------------------

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

# The rectangle of window $1 on the screen as "X Y WIDTH HEIGHT": its own, and with
# a window manager's frame around it.
inner() {
    timeout 10 xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
        /^ *Width:/ { w = $2 } /^ *Height:/ { h = $2 } END { print x, y, w, h }'
}
outer() {
    local x y w h l r t b
    read -r x y w h < <(inner "$1")
    read -r l r t b < <(timeout 10 xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | tr -cs '0-9' ' ' | awk '{ print $1 + 0, $2 + 0, $3 + 0, $4 + 0 }')
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}

# Waits up to $3 seconds for the rectangle of window $1 given by function $4 (inner
# or outer) to become "$2"; the last one seen in $rect.
rect=
wait_rect() {
    local i
    for ((i = 0; i < $3 * 10; i++)); do
        rect=$($4 "$1")
        [ "$rect" = "$2" ] && return 0
        sleep 0.1
    done
    return 1
}

# The icon of window $1, from the program's 64 x 64 picture (Qt's stand-in for a
# missing one is 48 x 48 and empty).
check_icon() {
    timeout 10 xprop -id "$1" _NET_WM_ICON 2>/dev/null | grep 'Icon (64 x 64)' >/dev/null ||
        fail "the window carries no program icon: $(timeout 10 xprop -id "$1" _NET_WM_ICON | head -c 200)"
}

# Gives window $1 the keyboard focus and types the key $2, as a user would.
press() {
    timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || timeout 5 xdotool windowfocus "$1"
    timeout 5 xdotool key "$2"
}

# Clicks button 1 at $2,$3 inside window $1.
click() {
    local x y w h
    read -r x y w h < <(inner "$1")
    timeout 5 xdotool mousemove "$((x + $2))" "$((y + $3))" click 1
    sleep 0.5
}

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

# Closes every box titled "Error" with Return, one after the other, until the
# program ends; prints how many there were. Each box is photographed to $1-N.png.
close_error_boxes() {
    local count=0 box i
    while box=$(find_window '^Error$' 60); do
        count=$((count + 1))
        shot "$1-$count"
        press "$box" Return
        for ((i = 0; i < 100; i++)); do
            windows_named '^Error$' | grep -x "$box" >/dev/null || break
            sleep 0.1
        done
        [ "$count" -ge 5 ] && break
    done
    echo "$count"
}

# --- pictures and numbers ---------------------------------------------------------

shot() { timeout 20 import -window root "$out/$1.png"; }

# Photographs the screen to $1 until two pictures in a row are the same (at most
# 10 s): nothing turns by itself, so the last frame asked for has been drawn.
settled_shot() {
    local i
    shot "$1"
    for ((i = 0; i < 20; i++)); do
        sleep 0.3
        timeout 20 import -window root "$work/next.png"
        [ "$(convert "$out/$1.png" "$work/next.png" -compose difference -composite -format '%[fx:maxima]' info:)" = 0 ] && break
        mv "$work/next.png" "$out/$1.png"
    done
}

# Standard deviation and mean of the middle of window $2 in screenshot $1 (0 to 1).
centre_statistics() {
    local x y w h
    read -r x y w h < <(inner "$2")
    convert "$out/$1.png" -crop "$((w / 2))x$((h / 2))+$((x + w / 4))+$((y + h / 4))" +repage \
        -format '%[fx:standard_deviation] %[fx:mean]' info:
}

# The drawing area of window $2 in screenshot $1 (the window less its menu bar)
# as a mask of what differs from the black background; prints the share of the
# area the scene covers and the centre of the covered pixels as shares of the
# width and the height.
scene_measures() {
    local x y w h top=24
    read -r x y w h < <(inner "$2")
    convert "$out/$1.png" -crop "${w}x$((h - top))+$x+$((y + top))" +repage -colorspace gray -threshold 2% "$work/mask.png"
    local area cx cy
    area=$(convert "$work/mask.png" -format '%[fx:mean]' info:)
    # The centre along an axis: the mask squeezed to one row (column) of means.
    centre() { convert "$work/mask.png" -scale "$1" -depth 8 gray:- | od -An -v -tu1 |
        awk '{ for (i = 1; i <= NF; i++) { s += $i; m += $i * n; n++ } } END { print s ? (m / s + 0.5) / n : 0.5 }'; }
    cx=$(centre "${w}x1!")
    cy=$(centre "1x$((h - top))!")
    echo "$area $cx $cy"
}

# The share of the pixels of window $3 that differ clearly between screenshots $1 and $2.
changed_share() {
    local x y w h
    read -r x y w h < <(inner "$3")
    convert "$out/$1.png" "$out/$2.png" -compose difference -composite -crop "${w}x$h+$x+$y" +repage \
        -colorspace gray -threshold 10% -format '%[fx:mean]' info:
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

# --- settings ---------------------------------------------------------------------

crlf() { printf '%s\r\n' "$@"; }

# Makes the start-up directory $work/$1, its path in $dir, with a config.cfg of the
# lines that follow (CR LF), and keeps a copy of it as $dir.cfg.
new_dir() {
    dir=$work/$1
    mkdir -p "$dir"
    shift
    crlf "$@" >"$dir/config.cfg"
    cp "$dir/config.cfg" "$dir.cfg"
}

# The rectangle config.cfg in directory $1 holds, as "X Y WIDTH HEIGHT".
saved_rect() {
    tr -d '\r' <"$1/config.cfg" | awk -F' : ' '{ v[$1] = $2 } END { print v["posx"], v["posy"], v["width"], v["height"] }'
}

# Starts the program $3 times in directory $1 on the scene file $2: each time the
# outer rectangle is the one config.cfg holds, Escape ends it, and config.cfg holds
# the same rectangle again.
restarts() {
    local n expected
    expected=$(saved_rect "$1")
    for ((n = 1; n <= $3; n++)); do
        run_viewer "$1" "$2" || return 1
        wait_rect "$window" "$expected" 10 outer || fail "start $n: the window is at $rect, not at $expected"
        [ "$n" -eq 1 ] && [ -n "$wm" ] && check_icon "$window"
        press "$window" Escape
        ends_well "Escape at start $n"
        [ "$(saved_rect "$1")" = "$expected" ] || fail "start $n: config.cfg holds $(saved_rect "$1"), not $expected"
    done
}

# --- a) a sample from the command line, Escape, the settings written back ------------
say "a) open_pit.KDX from the command line"
new_dir a "# Talan 3D settings, edited by hand" "idioma : 2" "width : 900" "height : 700" "posx : 40" "posy : 30" \
    "" "future_key : kept as written"
if run_viewer "$dir" "$data/samples/open_pit.KDX"; then
    wait_rect "$window" "40 30 900 700" 10 outer || fail "the window starts at $rect, not where config.cfg says"
    wait_loaded "$window" 60
    drawn='' deviation='' mean=''
    for ((i = 0; i < 60; i++)); do
        shot a_scene
        read -r deviation mean < <(centre_statistics a_scene "$window")
        if holds 'a > 0.05 && b > 0.05' "$deviation" "$mean"; then
            drawn=1
            break
        fi
        sleep 0.5
    done
    [ -n "$drawn" ] || fail "the middle of the window stays uniform (deviation $deviation, mean $mean): no scene drawn"

    timeout 10 xdotool windowmove "$window" 120 90
    timeout 10 xdotool windowsize "$window" 800 560
    wait_rect "$window" "120 90 800 560" 10 outer || fail "moved and resized, the window is at $rect"
    shot a_moved
    press "$window" Escape
    ends_well "Escape"
    crlf "# Talan 3D settings, edited by hand" "idioma : 2" "width : 800" "height : 560" "posx : 120" "posy : 90" \
        "" "future_key : kept as written" "color_r : 0" "color_g : 0" "color_b : 0" >"$work/expected_a.cfg"
    if ! cmp -s "$work/expected_a.cfg" "$dir/config.cfg"; then
        fail "config.cfg after Escape is not as expected"
        diff <(od -c "$work/expected_a.cfg") <(od -c "$dir/config.cfg")
    fi
    [ "$(ls -A "$dir")" = config.cfg ] || fail "the start-up directory holds more than config.cfg: $(ls -A "$dir")"
    restarts "$dir" "$data/samples/example.KDX" 2
fi

# --- b) no effect file beside the program nor in the start-up directory --------------
say "b) no effect file"
alone=$work/alone
mkdir -p "$alone"
cp "$talan3d" "$alone/talan3d"
new_dir b "idioma : 1" "width : 700" "posx : 5" "# note"
launch "$dir" "$alone/talan3d" "$data/samples/example.KDX"
boxes=$(close_error_boxes b_error)
ends_well "without the effect file"
[ "$boxes" -eq 2 ] || fail "$boxes error boxes instead of 2 (the failed open, then where the file belongs)"
cmp -s "$dir.cfg" "$dir/config.cfg" || fail "config.cfg changed"
[ "$(ls -A "$dir")" = config.cfg ] || fail "the start-up directory holds more than config.cfg: $(ls -A "$dir")"

# --- c) a start-up file without the signature ----------------------------------------
say "c) a start-up file that is not a scene file"
new_dir c "idioma : 2" "height : 500" "color_r : 0.5"
printf 'Tavrim  T3      1,\n1,0,0,\nnot a scene,\n0,0,0,1,0,0,0,1,0,\n' >"$dir/notascene.KDX"
launch "$dir" "$talan3d" notascene.KDX
boxes=$(close_error_boxes c_error)
ends_well "with a start-up file that is not a scene file"
[ "$boxes" -eq 1 ] || fail "$boxes error boxes instead of 1 (the read error)"
cmp -s "$dir.cfg" "$dir/config.cfg" || fail "config.cfg changed"

# --- the window manager, for the checks that depend on one ---------------------------
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep 'window id' >/dev/null; }
if command -v openbox >/dev/null 2>&1; then
    for attempt in 1 2; do
        openbox --sm-disable >"$work/wm.log" 2>&1 &
        wm=$!
        for ((i = 0; i < 100; i++)); do
            wm_running && break
            sleep 0.1
        done
        wm_running && break
        kill "$wm" 2>/dev/null
        wm=
        sleep 1
    done
    [ -n "$wm" ] || fail "openbox did not start: $(tail -n 3 "$work/wm.log")"
else
    say "openbox is not installed: d) runs without a window manager, e) to g) are left out"
fi

# --- d) turning, moving and zooming with the mouse; full screen and Escape ------------
say "d) the mouse and the keyboard on open_pit.KDX"
new_dir d "idioma : 2" "width : 800" "height : 600" "posx : 20" "posy : 20" "color_r : 0" "color_g : 0" "color_b : 0"
if run_viewer "$dir" "$data/samples/open_pit.KDX" && wait_loaded "$window" 60; then
    wait_rect "$window" "20 20 800 600" 10 outer
    read -r x y w h < <(inner "$window")
    mx=$((x + w / 2)) my=$((y + h / 2))
    for ((i = 0; i < 60; i++)); do
        settled_shot d_start
        read -r area0 cx0 cy0 < <(scene_measures d_start "$window")
        holds 'a > 0.1' "$area0" && break
        sleep 0.5
    done
    holds 'a > 0.1 && a < 0.95' "$area0" || fail "the scene covers $area0 of the drawing area at the start"

    # Left: the scene turns about the point looked at, which stays in the middle.
    drag 1 "$((mx - 150))" "$my" 300 0 30
    settled_shot d_turned
    read -r area1 cx1 cy1 < <(scene_measures d_turned "$window")
    share=$(changed_share d_start d_turned "$window")
    holds 'a > 0.1' "$share" || fail "a left drag changed only $share of the picture"
    holds '(a - b) ^ 2 < 0.15 ^ 2 && (c - d) ^ 2 < 0.15 ^ 2' "$cx0" "$cx1" "$cy0" "$cy1" ||
        fail "after a left drag the scene's centre went from $cx0,$cy0 to $cx1,$cy1"

    # Right: the scene follows the cursor, right and down.
    drag 3 "$((mx - 100))" "$((my - 50))" 120 60 12
    settled_shot d_moved
    read -r area2 cx2 cy2 < <(scene_measures d_moved "$window")
    holds 'b - a > 0.03 && d - c > 0.02' "$cx1" "$cx2" "$cy1" "$cy2" ||
        fail "after a right drag to the right and down the scene's centre went from $cx1,$cy1 to $cx2,$cy2"

    # The wheel: three steps towards the user zoom out, six away from the user zoom in.
    timeout 5 xdotool mousemove "$mx" "$my"
    timeout 5 xdotool click --repeat 3 --delay 100 5
    settled_shot d_zoomed_out
    read -r area3 _ < <(scene_measures d_zoomed_out "$window")
    holds 'b < a * 0.9' "$area2" "$area3" || fail "zooming out, the scene's area went from $area2 to $area3"
    timeout 5 xdotool click --repeat 6 --delay 100 4
    settled_shot d_zoomed_in
    read -r area4 _ < <(scene_measures d_zoomed_in "$window")
    holds 'b > a * 1.1' "$area3" "$area4" || fail "zooming in, the scene's area went from $area3 to $area4"

    say "scene area and centre: start $area0 $cx0,$cy0; turned $area1 $cx1,$cy1 ($share changed); moved $area2 $cx2,$cy2;" \
        "zoomed out $area3, in $area4"

    # Alt+Enter fills the screen (the window manager's to grant: without one the
    # window keeps its size); Escape returns to the window and the program goes on.
    read -r sw sh < <(timeout 10 xdotool getdisplaygeometry)
    press "$window" alt+Return
    wait_rect "$window" "0 0 $sw $sh" 5 inner || [ -z "$wm" ] || fail "after Alt+Enter the window is at $rect, not 0 0 $sw $sh"
    settled_shot d_full_screen
    press "$window" Escape
    wait_rect "$window" "$x $y $w $h" 5 inner || fail "after Escape in full screen the window is at $rect"
    sleep 0.5
    running || fail "Escape in full screen ended the program"
    if running; then
        press "$window" Escape
        ends_well "Escape after full screen"
        cmp -s "$dir.cfg" "$dir/config.cfg" || fail "config.cfg after the second Escape is $(saved_rect "$dir")"
    fi
fi

if [ -n "$wm" ]; then
    # --- e) the same outer rectangle over three starts, and the icon -----------------
    say "e) three starts under a window manager"
    new_dir e "idioma : 2" "width : 900" "height : 700" "posx : 40" "posy : 30"
    restarts "$dir" "$data/samples/example.KDX" 3

    # --- f) Escape after a menu was used ---------------------------------------------
    say "f) Escape after a menu"
    if run_viewer "$dir" "$data/samples/open_pit.KDX" && wait_loaded "$window" 60; then
        read -r sw sh < <(timeout 10 xdotool getdisplaygeometry)
        windowed=$(inner "$window")
        press "$window" alt+Return
        wait_rect "$window" "0 0 $sw $sh" 5 inner || fail "after Alt+Enter the window is at $rect"
        click "$window" 20 10
        shot f_menu
        timeout 5 xdotool key Escape  # closes the menu
        sleep 0.3
        timeout 5 xdotool key Escape
        wait_rect "$window" "$windowed" 5 inner || fail "Escape after a menu did not leave full screen: $rect"
        click "$window" 20 10
        timeout 5 xdotool key Escape
        click "$window" 300 300
        timeout 5 xdotool key Escape
        ends_well "Escape after a menu and a click"
    fi

    # --- g) the progress window of a long load ---------------------------------------
    say "g) the progress bar of a long load"
    "$samples" --scene surface --grid 708 --out "$work/big.KDX" 2>/dev/null || fail "make_sample_scenes failed"
    # On one core, so that the read takes long enough on any machine, and run in
    # slices of 50 ms: while the program is stopped the screen shows what the progress
    # window last painted.
    pin=()
    command -v taskset >/dev/null 2>&1 && pin=(taskset -c 0)
    if run_viewer "$dir" "$work/big.KDX" "${pin[@]}" && bar=$(find_window '^Topography$' 60); then
        kill -STOP "$pid"
        [ "$(xprop -id "$bar" WM_TRANSIENT_FOR | awk '{ print $NF }')" = "$(printf '0x%x' "$window")" ] ||
            fail "the progress window does not belong to the main window"
        xprop -id "$bar" _NET_WM_WINDOW_TYPE | grep _NET_WM_WINDOW_TYPE_UTILITY >/dev/null ||
            fail "the progress window is no tool window: $(xprop -id "$bar" _NET_WM_WINDOW_TYPE)"
        green=0
        while holds 'a < 0.01' "$green" && windows_named '^Topography$' | grep -x "$bar" >/dev/null; do
            read -r bx by bw bh < <(inner "$bar")
            shot g_progress
            green=$(convert "$out/g_progress.png" -crop "${bw}x$bh+$bx+$by" +repage \
                -fx 'g > 0.8 && r < 0.3 && b < 0.3' -format '%[fx:mean]' info:)
            kill -CONT "$pid"
            sleep 0.05
            kill -STOP "$pid"
        done
        kill -CONT "$pid"
        holds 'a >= 0.01' "$green" || fail "the progress window was never seen painted (green share $green)"
        wait_loaded "$window" 120
        press "$window" Escape
        ends_well "Escape after a long load"
    fi
    rm -f "$work/big.KDX"

    # --- h) Escape while a big model is being drawn ----------------------------------
    say "h) Escape during the full picture of a big model"
    "$samples" --scene surface --grid 1500 --out "$work/huge.KDX" 2>/dev/null || fail "make_sample_scenes failed"
    if run_viewer "$dir" "$work/huge.KDX" env TALAN_FRAME_TIMES=1 && wait_loaded "$window" 300; then
        for ((i = 0; i < 600 && $(grep -c 'full frame' "$work/program.log") == 0; i++)); do sleep 0.1; done
        read -r x y w h < <(inner "$window")
        timeout 5 xdotool mousemove "$((x + w / 2))" "$((y + h / 2))" click 5  # a wheel notch: a new picture
        sleep 0.4
        drawn=$(grep -c 'full frame' "$work/program.log")
        started=$(date +%s%N)
        press "$window" Escape
        gone=
        for ((i = 0; i < 50; i++)); do
            windows_named '^Talan 3D$' | grep -x "$window" >/dev/null || { gone=$(( ($(date +%s%N) - started) / 1000000 )); break; }
            sleep 0.02
        done
        [ "$(grep -c 'full frame' "$work/program.log")" = "$drawn" ] ||
            say "   (the picture was finished before Escape: the machine is quicker than this check assumes)"
        if [ -z "$gone" ]; then
            fail "the window was still open 1 s after Escape during a picture"
        else
            say "   window closed ${gone} ms after Escape"
        fi
        if [ -z "${ASAN_OPTIONS:-}" ] && ! ldd "$talan3d" | grep -q libasan; then
            wait_exit 1 || fail "the program did not end within 1 s of Escape during a picture"
            [ -z "$pid" ] && [ "$status" = 0 ] || fail "the program ended with status $status"
        else
            ends_well "Escape during a big picture"
        fi
    fi
    rm -f "$work/huge.KDX"
fi

if [ "$failures" -ne 0 ]; then
    say "$failures check(s) failed${4:+; screenshots in $out}"
    exit 1
fi
say "all checks passed"
