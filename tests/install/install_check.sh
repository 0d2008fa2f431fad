#!/usr/bin/env bash
# The installed program as a desktop meets it. `cmake --install` puts the build into a
# temporary prefix; then
#  a) the application entry passes desktop-file-validate and the software-centre
#     metadata appstreamcli validate --no-net; the executable, the effect file, the
#     icon and the scene type they name are installed;
#  b) with the prefix's MIME database made by update-mime-database, xdg-mime tells a
#     scene file by its extension in any case and, without one, by its first line,
#     and leaves other text alone;
#  c) the thumbnailer's Exec line, run as a file manager runs it, from a directory
#     without the effect file, draws the scene into a PNG whose longer side is the
#     size asked for and whose other side follows the scene's shape.
#
#   install_check.sh BUILD_DIR SCENE.KDX [--require-gl]
#
# SCENE.KDX must be wider than it is deep. Exits 77 (skipped) when a tool it needs is
# missing, or without OpenGL unless --require-gl is given.
set -euo pipefail

usage='usage: install_check.sh BUILD_DIR SCENE.KDX [--require-gl]'
build=${1:?$usage}
scene=${2:?$usage}
require_gl=${3:-}
readonly app_id=org.example.Talan3D scene_type=model/x-kdx gocad_type=model/x-gocad thumbnail_size=128

skip() {
    echo "install_check: SKIPPED: $*"
    exit 77
}
fail() {
    echo "install_check: FAILED: $*"
    exit 1
}
for tool in desktop-file-validate:desktop-file-utils appstreamcli:appstream update-mime-database:shared-mime-info \
    xdg-mime:xdg-utils mimetype:libfile-mimeinfo-perl identify:imagemagick; do
    command -v "${tool%%:*}" >/dev/null 2>&1 || skip "'${tool%%:*}' is not installed (Debian package ${tool#*:})"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix share=$work/prefix/share
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }
echo "install_check: installed files:"
(cd "$prefix" && find . -type f | sort)

# a) the entry, the metadata, and what they name
desktop=$share/applications/$app_id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate $app_id.desktop"
# validate-tree validates the metadata and also finds the desktop entry it launches.
appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli validate-tree"
key() { sed -n "s/^$1=//p" "$2"; }
[ -x "$prefix/bin/$(key TryExec "$desktop")" ] || fail "the entry's program is not installed"
[ -f "$share/talan3d/Talan3D.fx" ] || fail "the effect file is not in share/talan3d"
for icon in 64x64/apps/talan3d.png scalable/apps/talan3d.svg; do
    [ "$(key Icon "$desktop")" = talan3d ] && [ -f "$share/icons/hicolor/$icon" ] || fail "no icon $icon"
done
[ "$(key MimeType "$desktop")" = "$scene_type;$gocad_type;text/csv;" ] || fail "the entry does not open $scene_type, $gocad_type and CSV"
[ "$(key Exec "$desktop")" = "talan3d %F" ] || fail "the entry does not take several files together"

# b) the scene type, by name and by content
update-mime-database "$share/mime"
cp "$scene" "$work/upper.KDX"
cp "$scene" "$work/lower.kdx"
cp "$scene" "$work/no_extension"
printf 'Tavrin at the start is not the signature\n' >"$work/plain_text"
filetype() {
    XDG_CURRENT_DESKTOP=X-Generic XDG_DATA_HOME=$share XDG_DATA_DIRS=$share:/usr/share xdg-mime query filetype "$1"
}
for f in upper.KDX lower.kdx no_extension; do
    [ "$(filetype "$work/$f")" = "$scene_type" ] || fail "xdg-mime calls $f $(filetype "$work/$f")"
done
[ "$(filetype "$work/plain_text")" = text/plain ] || fail "xdg-mime calls plain text $(filetype "$work/plain_text")"
# GOCAD objects by their extension, and by their first line where the extension is another's.
printf 'GOCAD TSurf 1\nHEADER {\nname: s\n}\nVRTX 1 0 0 0\nVRTX 2 1 0 0\nVRTX 3 0 1 0\nTRGL 1 2 3\nEND\n' >"$work/surface.ts"
printf 'GOCAD PLine 1\nILINE\nVRTX 1 0 0 0\nVRTX 2 1 0 0\nSEG 1 2\nEND\n' >"$work/lines.pl"
printf 'GOCAD VSet 1\nVRTX 1 0 0 0\nEND\n' >"$work/points.vs"
cp "$work/surface.ts" "$work/surface_without_extension"
for f in surface.ts lines.pl points.vs surface_without_extension; do
    [ "$(filetype "$work/$f")" = "$gocad_type" ] || fail "xdg-mime calls $f $(filetype "$work/$f")"
done
printf '#!/usr/bin/perl\nprint "not a GOCAD file\\n";\n' >"$work/script.pl"
[ "$(filetype "$work/script.pl")" != "$gocad_type" ] || fail "xdg-mime calls a Perl script a GOCAD file"

# c) the thumbnailer's own command line, its fields filled in as a file manager does
thumbnailer=$share/thumbnailers/talan3d.thumbnailer
[ "$(key MimeType "$thumbnailer")" = "$scene_type;$gocad_type;" ] || fail "the thumbnailer does not take $scene_type and $gocad_type"
read -ra words <<<"$(key Exec "$thumbnailer")"
command=()
for word in "${words[@]}"; do
    case $word in
    %i) command+=("$scene") ;;
    %o) command+=("$work/thumbnail.png") ;;
    %s) command+=("$thumbnail_size") ;;
    *) command+=("$word") ;;
    esac
done
mkdir "$work/elsewhere"
status=0
(cd "$work/elsewhere" && PATH=$prefix/bin:$PATH "${command[@]}") || status=$?
if [ "$status" -eq 3 ] && [ "$require_gl" != --require-gl ]; then
    skip "no OpenGL context for the thumbnail"
fi
[ "$status" -eq 0 ] || fail "the thumbnailer's command ${command[*]} ended with status $status"
read -r width height < <(identify -format '%w %h\n' "$work/thumbnail.png")
echo "install_check: thumbnail ${width}x$height"
[ "$width" -eq "$thumbnail_size" ] && [ "$height" -lt "$width" ] && [ "$height" -gt $((width / 4)) ] ||
    fail "a ${width}x$height thumbnail of a wide scene, asked for $thumbnail_size pixels"
[ "$(identify -format '%k' "$work/thumbnail.png")" -gt 16 ] || fail "the thumbnail is nearly empty"
echo "install_check: passed"
