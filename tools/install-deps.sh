#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Talan 3D need. Runs as
# root or through sudo, and does nothing when every package is already there.
#   tools/install-deps.sh            build, tests and benchmarks
#   tools/install-deps.sh --fuzz     also clang 14 and libFuzzer
#   tools/install-deps.sh --compare  also assimp-utils, the loader the benchmarks compare with
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-qpa-plugins  # window, menus, dialogs, the GL drawing widget
  qt6-translations-l10n                       # Qt's own dialogs in Spanish
  libepoxy-dev libglm-dev                     # OpenGL loading, matrices
  libegl-dev libegl-mesa0 libgl1-mesa-dri     # headless OpenGL through EGL and llvmpipe
  googletest libgtest-dev libbenchmark-dev    # tests and benchmarks
  xvfb xauth xdotool imagemagick openbox x11-utils  # GUI tests without a screen: window manager, screenshots, xprop
  desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl  # the installed tree's test
  file                                        # cpack's dependency list of the Debian package
  lintian                                     # the Debian package's test
)
for arg in "$@"; do
  case "$arg" in
    --fuzz) packages+=(clang-14 libclang-rt-14-dev) ;;
    --compare) packages+=(assimp-utils time) ;;
    *) echo "install-deps.sh: unknown option $arg" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  exec sudo "$0" "$@"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
