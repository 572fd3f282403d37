#!/usr/bin/env bash
# scripts/deps.sh [run|test]: installs the Debian packages that building and
# running the programs need (run), or those and everything the tests, the
# Windows programs and the benchmarks need (test, the default). Does nothing
# when they are all there already.
set -euo pipefail

run=(
  build-essential cmake ninja-build pkg-config
  libfltk1.3-dev libfontconfig-dev fonts-ipafont-gothic fontconfig x11-utils
)
test=(
  libgtest-dev libgmock-dev libbenchmark-dev libmpfr-dev libgmp-dev
  clang libclang-rt-dev
  g++-mingw-w64-x86-64-posix wine wine64 fonts-wine
  xvfb xdotool imagemagick time procps
)
case ${1:-test} in
  run) packages=("${run[@]}") ;;
  test) packages=("${run[@]}" "${test[@]}") ;;
  *) echo "usage: scripts/deps.sh [run|test]" >&2; exit 64 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

install="apt-get install -y --no-install-recommends ${missing[*]}"
how="as root, run: apt-get update && $install"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "These Debian packages are missing; $how" >&2; exit 1; }
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
{ "${as_root[@]}" apt-get update -q &&
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive $install -q; } ||
  { echo "The Debian packages could not be installed; $how" >&2; exit 1; }
