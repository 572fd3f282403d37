#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the dialogs need.
# Does nothing when they are all there already.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev libmpfr-dev libgmp-dev
  clang libclang-rt-dev
  libfltk1.3-dev fonts-ipafont-gothic fontconfig
  g++-mingw-w64-x86-64-posix wine wine64 fonts-wine
  xvfb xdotool x11-utils imagemagick time
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
