#!/usr/bin/env bash
# The Debian package as Debian's own checker sees it. `cpack -G DEB` makes the package
# of the build into a temporary directory; then
#  a) lintian reports no error on it (warnings are printed, and fail with --strict);
#  b) it holds what every Debian package must: the copyright in the machine-readable
#     format, the changelog and the program's manual page, compressed without a name
#     or a time stamp, and the manual page reads without a warning from man.
#
#   package_check.sh BUILD_DIR [--strict]
#
# Exits 77 (skipped) when a tool it needs is missing.
set -euo pipefail

usage='usage: package_check.sh BUILD_DIR [--strict]'
build=${1:?$usage}
strict=${2:-}
readonly doc=usr/share/doc/talan3d manual=usr/share/man/man1/talan3d.1.gz

skip() {
    echo "package_check: SKIPPED: $*"
    exit 77
}
fail() {
    echo "package_check: FAILED: $*"
    exit 1
}
for tool in cpack:cmake dpkg-deb:dpkg lintian:lintian man:man-db; do
    command -v "${tool%%:*}" >/dev/null 2>&1 || skip "'${tool%%:*}' is not installed (Debian package ${tool#*:})"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack -G DEB"; }
debs=("$work"/talan3d_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single talan3d_*.deb"
deb=${debs[0]}
echo "package_check: ${deb##*/}:"
dpkg-deb --info "$deb"

# a) lintian, with every tag shown; errors fail, and warnings too when strict.
fail_on=error
[ "$strict" = --strict ] && fail_on=error,warning
lintian --tag-display-limit 0 --fail-on "$fail_on" "$deb" || fail "lintian reports tags of kind $fail_on (above)"

# b) the documents, as installed
dpkg-deb -x "$deb" "$work/root"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' "$work/root/$doc/copyright" ||
    fail "no machine-readable $doc/copyright"
for gz in "$doc/changelog.Debian.gz" "$manual"; do
    [ -f "$work/root/$gz" ] || fail "no $gz"
    # gzip -9n: the header's name flag (byte 4, bit 3) and time (bytes 5-8) are zero.
    [ "$(od -An -tu1 -j3 -N5 "$work/root/$gz" | tr -s ' ')" = " 0 0 0 0 0" ] ||
        fail "$gz keeps a name or a time stamp (gzip -9n)"
done
zcat "$work/root/$doc/changelog.Debian.gz" | head -n 1 | grep -q "^talan3d ($(dpkg-deb -f "$deb" Version)) " ||
    fail "the changelog's first entry is not the package's version"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$work/root/$manual" 2>&1 >"$work/manual.txt") || true
[ -z "$warnings" ] || fail "man reads the manual page with warnings: $warnings"
grep -q -- '--render' "$work/manual.txt" || fail "the manual page as man shows it lacks --render"
echo "package_check: passed"
