#!/usr/bin/env bash
# Runs the two set-up commands of README.md, as they stand there, on a new minimal
# Debian 12 root file system, so that nothing this machine already holds can make
# them pass:
#   1. the first command must build the viewer and then start it; the root has no
#      display, so the viewer has to say so and end. The same viewer on the same
#      scene is then started under xvfb-run: its window "Talan 3D" must appear and
#      still be open a few seconds later, and it must end on the SIGTERM sent to it;
#   2. the second command must build everything and pass every test, none skipped;
#   3. the Debian package that `cpack -G DEB` then makes in that build directory
#      must install with `apt-get install ./talan3d_*.deb` on a second root, a copy
#      of the minimal one as debootstrap left it, and there the installed
#      `talan3d --render` must draw from any directory, and `xdg-mime query
#      filetype` must know scene files by extension and by content.
#
#   tools/fresh-debian-check.sh [--benchmarks] [--screenshot FILE]
#
# --benchmarks       also run the commands of the README's Benchmarks section
# --screenshot FILE  keep a picture of the viewer's screen in step 1
#
# Needs root, debootstrap, unshare and findmnt. The root is made with
# `debootstrap --variant=minbase bookworm` from the mirror in this machine's own apt
# sources (set TALAN_DEBIAN_MIRROR to use another), gets the same suites of that
# mirror a Debian 12 installation has (bookworm, bookworm-updates, bookworm-security,
# where this machine's sources name them), and receives the committed tree
# (`git archive HEAD`). Everything runs in a mount namespace of its own: proc, sys,
# dev (with dev/pts and a new dev/shm) and a tmpfs on /tmp are mounted inside each
# root, unmounted at the end whatever happened, and the roots are deleted only once
# nothing is mounted below them. Nothing is kept between runs. TMPDIR (default
# /var/tmp) is where the roots are made; they need about 3.5 GB.
set -euo pipefail

readonly release=bookworm
readonly checkout=/root/talan3d         # where the tree lies inside the build root
readonly package_dir=/root              # where the package and a scene lie in the clean root
readonly stay_open_seconds=5            # how long the viewer's window must stay open
readonly root_path=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin

say() { echo "fresh-debian: $*"; }
die() {
    say "FAILED: $*" >&2
    exit 1
}

# Runs phase function $1, printing how long it took.
phase() {
    local started=$SECONDS
    say "--- $1"
    "$@"
    say "--- $1 took $((SECONDS - started)) s"
}

# --- the host's apt sources -----------------------------------------------------------

# Prints "URI SUITE" for every enabled binary-package source with the main component
# in this machine's apt sources, one-line (.list) and deb822 (.sources) files alike.
host_apt_sources() {
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -r "$f" ] || continue
        awk '{ sub(/#.*/, "") }
            $1 == "deb" {
                i = 2
                if ($i ~ /^\[/) { while (i < NF && $i !~ /\]$/) i++; i++ }
                for (c = i + 2; c <= NF; c++) if ($c == "main") { print $i, $(i + 1); break }
            }' "$f"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -r "$f" ] || continue
        awk 'BEGIN { RS = ""; FS = "\n" }
            {
                delete v; key = ""
                for (l = 1; l <= NF; l++) {
                    if ($l ~ /^#/) continue
                    if ($l ~ /^[ \t]/) { v[key] = v[key] " " $l; continue }
                    key = tolower(substr($l, 1, index($l, ":") - 1))
                    v[key] = substr($l, index($l, ":") + 1)
                }
                if (tolower(v["enabled"]) ~ /no/ || (" " v["types"] " ") !~ /[ \t]deb[ \t]/ ||
                    (" " v["components"] " ") !~ /[ \t]main[ \t]/) next
                n = split(v["uris"], uris, /[ \t]+/); m = split(v["suites"], suites, /[ \t]+/)
                for (u = 1; u <= n; u++) for (s = 1; s <= m; s++)
                    if (uris[u] != "" && suites[s] != "") print uris[u], suites[s]
            }' "$f"
    done
}

# Prints the "deb URI SUITE main" lines of the root: each source of this machine for a
# release suite, its -updates or its -security suite, turned to the same suite of
# Debian 12. Without TALAN_DEBIAN_MIRROR the first release suite gives the mirror.
root_apt_lines() {
    local uri suite kind
    if [ -n "${TALAN_DEBIAN_MIRROR:-}" ]; then
        echo "deb $TALAN_DEBIAN_MIRROR $release main"
    fi
    host_apt_sources | while read -r uri suite; do
        [[ "$suite" =~ ^[a-z]+(-updates|-security)?$ ]] || continue
        kind=${BASH_REMATCH[1]}
        [ -n "${TALAN_DEBIAN_MIRROR:-}" ] && [ -z "$kind" ] && continue
        echo "deb $uri $release$kind main"
    done | awk '!seen[$0]++'
}

# --- the phases, run inside the mount namespace ---------------------------------------

make_root() {
    local mirror
    mirror=$(root_apt_lines | awk '$3 == "'"$release"'" { print $2; exit }')
    [ -n "$mirror" ] || die "no Debian mirror in /etc/apt/sources*: set TALAN_DEBIAN_MIRROR"
    say "debootstrap --variant=minbase $release from $mirror"
    debootstrap --variant=minbase "$release" "$root" "$mirror" >"$work/debootstrap.log" 2>&1 ||
        { tail -n 30 "$work/debootstrap.log"; die "debootstrap failed"; }
}

# The suites of a Debian 12 installation, and no services started by package scripts:
# nothing runs inside a root that would keep it busy once the proof is over.
configure_apt() {
    root_apt_lines >"$root/etc/apt/sources.list"
    cat "$root/etc/apt/sources.list"
    printf '#!/bin/sh\n# No services are started inside this root.\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod 755 "$root/usr/sbin/policy-rc.d"
}

# A copy of the root as debootstrap left it, for the package to be installed on.
copy_clean_root() {
    cp -a --one-file-system "$root/." "$clean/"
}

mounted=()
mount_in() {
    local target=$1/$2
    shift 2
    mount "$@" "$target" || return 1
    mounted+=("$target")
}

# Mounts what programs inside root directory $1 need.
mount_filesystems() {
    mount_in "$1" proc -t proc proc
    mount_in "$1" sys -t sysfs sysfs 2>/dev/null || mount_in "$1" sys --bind /sys
    mount_in "$1" dev --bind /dev
    mount_in "$1" dev/pts --bind /dev/pts
    mount_in "$1" dev/shm -t tmpfs -o mode=1777,nosuid,nodev tmpfs
    mount_in "$1" tmp -t tmpfs -o mode=1777,nosuid,nodev tmpfs
}

copy_checkout() {
    mkdir -p "$root$checkout"
    git -C "$repo" archive HEAD | tar -x -C "$root$checkout"
    say "$(git -C "$repo" rev-parse --short HEAD) copied to $checkout"
}

# Runs the command line $3 inside root directory $1, in its directory $2, with the
# environment a fresh root login has, and with no input.
in_chroot() {
    local proxies=() v
    for v in http_proxy https_proxy no_proxy; do
        [ -n "${!v:-}" ] && proxies+=("$v=${!v}")
    done
    chroot "$1" /usr/bin/env -i HOME=/root USER=root LOGNAME=root SHELL=/bin/bash \
        PATH="$root_path" "${proxies[@]}" /bin/sh -c "cd $2 && $3" </dev/null
}

# Runs the command line $1 inside the build root, in the checkout.
in_root() { in_chroot "$root" "$checkout" "$1"; }

# The lines of the ```sh blocks of the README section whose heading starts with $1,
# each line as "BLOCK-NUMBER<TAB>LINE".
readme_blocks() {
    awk -v heading="## $1" '
        /^## / { inside = index($0, heading) == 1; next }
        inside && /^```sh[ \t]*$/ { block++; code = 1; next }
        code && /^```/ { code = 0; next }
        code && NF { print block "\t" $0 }' "$repo/README.md"
}

read_setup_commands() {
    local blocks
    blocks=$(readme_blocks "Set up")
    first_command=$(awk -F '\t' '$1 == 1 { print $2 }' <<<"$blocks")
    second_command=$(awk -F '\t' '$1 == 2 { print $2 }' <<<"$blocks")
    if [ "$(wc -l <<<"$blocks")" -ne 2 ] || [ -z "$first_command" ] || [ -z "$second_command" ]; then
        die "the set-up section of README.md must hold two sh blocks of one command each"
    fi
    # The first command's last step starts the viewer; what comes before it builds.
    [[ "$first_command" == *" && "* ]] || die "the first set-up command has no build steps before the viewer"
    first_build=${first_command% && *}
    viewer_launch=${first_command##* && }
    say "first command:  $first_command"
    say "second command: $second_command"
}

# The first command, in its two parts: the build must succeed, and the viewer,
# without a display, must say so and end with a failure status, not a crash.
first_command() {
    local status=0
    in_root "$first_build" || die "the first command's build steps failed"
    in_root "timeout -k 5 60 $viewer_launch" >"$work/no_display.log" 2>&1 || status=$?
    cat "$work/no_display.log"
    case $status in
    0) die "the viewer started without a display and ended with status 0" ;;
    124 | 137) die "the viewer started without a display did not end" ;;
    esac
    [ "$status" -lt 128 ] || die "the viewer started without a display ended on signal $((status - 128))"
    [ -s "$work/no_display.log" ] || die "the viewer started without a display ended ($status) without a word"
    say "without a display the viewer ended with status $status"
}

# The same viewer on the same scene under xvfb-run: its window appears, stays open,
# and the program ends on SIGTERM.
viewer_window() {
    printf '%s\n' "$viewer_launch" >"$root/tmp/viewer_launch"
    cat >"$root/tmp/viewer_window.sh" <<'EOF'
launch=$(cat /tmp/viewer_launch) stay=$1
fail() { echo "viewer window: FAILED: $*"; cat /tmp/viewer.log; exit 1; }
# A zombie has ended; so has a process reaped while its state was being read (the
# shell reaps its children while it waits for the command substitution).
running() {
    local state
    state=$(sed 's/^.*) //' /proc/$pid/stat 2>/dev/null | cut -c1)
    [ -n "$state" ] && [ "$state" != Z ]
}
window_open() { timeout 10 xdotool search --onlyvisible --name '^Talan 3D$' 2>/dev/null | head -n 1; }
sh -c "exec $launch" >/tmp/viewer.log 2>&1 &
pid=$!
for i in $(seq 600); do
    window=$(window_open)
    [ -n "$window" ] && break
    running || fail "the viewer ended before its window appeared"
    sleep 0.1
done
[ -n "$window" ] || fail "no window titled \"Talan 3D\" in 60 s"
echo "viewer window: \"Talan 3D\" (window $window) open after about $((i / 10)) s"
sleep "$stay"
running || fail "the viewer ended by itself"
[ "$(window_open)" = "$window" ] || fail "the window closed by itself"
import -window root /tmp/viewer.png
kill -TERM "$pid"
for i in $(seq 100); do running || break; sleep 0.1; done
running && { kill -9 "$pid"; fail "the viewer did not end on SIGTERM"; }
wait "$pid"
echo "viewer window: still open after $stay s; ended on SIGTERM (status $?)"
EOF
    in_root "xvfb-run -a -n $((100 + RANDOM % 800)) -s '-screen 0 1280x1024x24' \
        bash /tmp/viewer_window.sh $stay_open_seconds" || die "the viewer's window check failed"
    if [ -n "$screenshot" ]; then
        cp "$root/tmp/viewer.png" "$screenshot"
        say "the viewer's screen is in $screenshot"
    fi
}

# The second command, with every test run. A test skipped for want of a tool or of
# OpenGL, or the end-to-end test going without its window manager for want of one,
# means a missing package: no test may skip.
second_command() {
    local log=$root$checkout/build/Testing/Temporary/LastTest.log skipped
    if ! in_root "$second_command" 2>&1 | tee "$work/second.log"; then
        die "the second command failed"
    fi
    grep -q '^100% tests passed' "$work/second.log" || die "ctest did not report every test passed"
    [ -r "$log" ] || die "ctest left no log in build/Testing/Temporary"
    skipped=$(awk '
        / Testing: / { name = $3; skipped = 0 }
        /\[  SKIPPED \]|: SKIPPED:/ { skipped = 1 }
        /^<end of output>/ && skipped { print name }' "$log")
    [ -z "$skipped" ] || die "tests skipped: $(tr '\n' ' ' <<<"$skipped")"
    # The end-to-end test leaves its window-manager checks out when openbox is
    # missing, a package the install script lacks (without xprop it skips whole).
    if grep -F 'openbox is not installed' "$log"; then
        die "the end-to-end test ran without its window manager: not installed"
    fi
}

# The package of the build the set-up commands made, installed on the clean root as
# a user installs it; there the installed program draws a scene from another
# directory, and the scene type is known by name and by content once the desktop's
# MIME tools are installed.
package() {
    local debs picture=/tmp/installed_render.png size scene type
    in_root "cd build && cpack -G DEB" || die "cpack -G DEB failed"
    debs=("$root$checkout"/build/talan3d_*.deb)
    [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || die "cpack made no single talan3d_*.deb: ${debs[*]}"
    cp "${debs[0]}" "$root$checkout/data/samples/open_pit.KDX" "$clean$package_dir/"
    cp "$clean$package_dir/open_pit.KDX" "$clean$package_dir/scene_without_extension"
    mount_filesystems "$clean"
    in_chroot "$clean" "$package_dir" "export DEBIAN_FRONTEND=noninteractive && apt-get update -qq && \
        apt-get install -y -qq ./${debs[0]##*/}" || die "apt-get install ./${debs[0]##*/} failed"
    in_chroot "$clean" /tmp "talan3d --render $picture --size 320x200 $package_dir/open_pit.KDX" ||
        die "the installed talan3d --render failed"
    # The PNG's header holds its width and height as 32-bit big-endian numbers.
    size=$(od -An -tu1 -j16 -N8 "$clean$picture" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
    [ "$size" = 320x200 ] || die "the installed talan3d --render drew a picture of $size, not 320x200"
    say "the installed talan3d --render drew a $size picture"
    in_chroot "$clean" "$package_dir" "DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends xdg-utils libfile-mimeinfo-perl shared-mime-info" ||
        die "the MIME tools could not be installed"
    for scene in open_pit.KDX scene_without_extension; do
        type=$(in_chroot "$clean" "$package_dir" "xdg-mime query filetype $scene") ||
            die "xdg-mime query filetype $scene failed"
        say "xdg-mime query filetype $scene: $type"
        [ "$type" = model/x-kdx ] || die "xdg-mime does not know $scene as a scene file"
    done
}

# The commands of the README's Benchmarks section, one after the other.
benchmarks() {
    local line
    while IFS=$'\t' read -r _ line; do
        say "benchmark command: $line"
        in_root "$line" || die "the benchmark command failed: $line"
    done < <(readme_blocks "Benchmarks")
}

# Ends what is still running inside the root, unmounts everything mounted below it
# (lazily as a last resort) and checks that nothing is left mounted there.
teardown() {
    local p i
    for p in /proc/[0-9]*; do
        case $(readlink "$p/root" 2>/dev/null) in "$root" | "$clean") ;; *) continue ;; esac
        say "ending process ${p#/proc/} left in the root: $(tr '\0' ' ' <"$p/cmdline" 2>/dev/null)"
        kill -KILL "${p#/proc/}" 2>/dev/null || true
    done
    [ ${#mounted[@]} -eq 0 ] || say "unmounting ${mounted[*]#"$base"/}"
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" || true
    done
    mounted=()
    # debootstrap mounts proc and sys itself while it works.
    mounts_below "$base" | sort -r | while read -r p; do umount -l "$p" || true; done
    [ -z "$(mounts_below "$base")" ] || die "still mounted below $base: $(mounts_below "$base")"
}

# The mount points at or below directory $1.
mounts_below() {
    findmnt -rn -o TARGET | awk -v d="$1" '$0 == d || index($0, d "/") == 1'
}

inside() {
    trap teardown EXIT
    trap 'exit 130' INT TERM
    local started=$SECONDS
    phase read_setup_commands
    phase make_root
    phase configure_apt
    phase copy_clean_root
    phase mount_filesystems "$root"
    phase copy_checkout
    phase first_command
    phase viewer_window
    phase second_command
    phase package
    [ "$run_benchmarks" = 0 ] || phase benchmarks
    phase teardown
    say "the README's set-up commands and the package passed on a minimal Debian 12 in $((SECONDS - started)) s"
}

# --- the host side ---------------------------------------------------------------------

# Deletes the roots once nothing is mounted below them, never crossing into another
# file system.
remove_root() {
    local started=$SECONDS
    [ -n "$(mounts_below "$base")" ] && die "not deleting $base: still mounted below it: $(mounts_below "$base")"
    rm -rf --one-file-system "$base" "$work"
    say "deleting the roots took $((SECONDS - started)) s; $SECONDS s in all"
}

outside() {
    local status=0
    [ "$(id -u)" -eq 0 ] || die "needs root (it makes a root file system and mounts inside it)"
    for tool in debootstrap unshare findmnt chroot git; do
        command -v "$tool" >/dev/null || die "'$tool' is not installed (apt-get install debootstrap)"
    done
    # The build root and the clean root lie side by side in one directory.
    base=$(realpath "$(mktemp -d "${TMPDIR:-/var/tmp}/talan-fresh-debian.XXXXXX")")
    set_roots
    # mktemp makes the directory for root alone; as "/" of a root it must be open to
    # the users there, such as apt's download user.
    mkdir "$root" "$clean"
    chmod 755 "$base" "$root" "$clean"
    work=$(mktemp -d "${TMPDIR:-/var/tmp}/talan-fresh-debian-logs.XXXXXX")
    trap remove_root EXIT
    trap 'exit 130' INT TERM
    # The mounts live in a mount namespace of this run's own, so that none of them
    # can outlive it on the host.
    unshare --mount --propagation private -- bash "$0" --inside "$base" "$work" "$repo" \
        "$run_benchmarks" "$screenshot" || status=$?
    return "$status"
}

set_roots() {
    root=$base/build-root clean=$base/clean-root
}

repo=$(cd "$(dirname "$0")/.." && pwd)
run_benchmarks=0 screenshot=
if [ "${1:-}" = --inside ]; then
    base=$2 work=$3 repo=$4 run_benchmarks=$5 screenshot=$6
    set_roots
    inside
    exit 0
fi
while [ $# -gt 0 ]; do
    case $1 in
    --benchmarks) run_benchmarks=1 ;;
    --screenshot)
        screenshot=$(realpath -m "${2:?--screenshot needs a file name}")
        shift
        ;;
    *)
        echo "usage: $0 [--benchmarks] [--screenshot FILE]" >&2
        exit 2
        ;;
    esac
    shift
done
outside
