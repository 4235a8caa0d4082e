#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the desktop program
# need, when they are missing (with the Windows cross compiler and Wine for
# the Windows build's tests, and what building Qt for Windows from Debian's
# source package takes, NSIS for the setup program and Wine's own fonts).
# With "bench", also the pictures the scored tracing benchmark traces
# (grass-doc's Landsat and orthophoto figures, opencv-doc's aerial photos,
# about 130 MB), which the tests do not need.
# Runs apt-get as root (or through sudo).
#   tools/install_deps.sh [bench]
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev zlib1g-dev libcli11-dev nlohmann-json3-dev
  xvfb xauth xdotool imagemagick fonts-dejavu-core jq python3 time
  g++-mingw-w64-x86-64 wine64 libz-mingw-w64-dev
  dpkg-dev xz-utils perl nsis fonts-wine
)
if [ "${1:-}" = bench ]; then
  packages+=(grass-doc opencv-doc)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
run_as_root=()
if [ "$(id -u)" -ne 0 ]; then
  run_as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${run_as_root[@]}" apt-get update -qq
"${run_as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
