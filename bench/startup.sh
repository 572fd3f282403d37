#!/usr/bin/env bash
# bench/startup.sh [RUNS]: the time from starting each dialog program to its
# window on the screen, in a fresh Xvfb, median of RUNS (default 7). The
# Windows program runs under Wine with its server already up, as on a desktop
# where Wine is in use. Needs the default and mingw builds.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-7}
export LC_ALL=C.UTF-8

work=$(mktemp -d "${TMPDIR:-/tmp}/equidist-startup.XXXXXX")
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset 5>"$work/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
deadline=$((SECONDS + 20))
until [ -s "$work/display" ]; do
  [ $SECONDS -lt $deadline ] || { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.05
done
export DISPLAY=:$(cat "$work/display")
cp samples/QZT_TEMP.TXT "$work/"

# measure NAME FINDER COMMAND...: milliseconds until FINDER sees the window.
measure() {
  local name=$1 finder=$2 times=()
  shift 2
  for ((r = 0; r < runs; r++)); do
    local t0 t1
    t0=$(date +%s%N)
    "$@" >/dev/null 2>&1 &
    local pid=$! deadline=$((SECONDS + 60))
    until $finder >/dev/null 2>&1; do
      [ $SECONDS -lt $deadline ] || { echo "$name: no window within 60 s" >&2; exit 1; }
    done
    t1=$(date +%s%N)
    times+=($(((t1 - t0) / 1000000)))
    xdotool key Escape
    wait $pid 2>/dev/null || true
    sleep 0.3
  done
  printf '%-34s median %5d ms   (runs: %s)\n' "$name" \
    "$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")" "${times[*]}"
}

fltk_shown() { [ -n "$(xdotool search --onlyvisible --class '^equidist$')" ]; }
wine_shown() { [ -n "$(xdotool search --onlyvisible --name '^等距点Ｋ$')" ]; }

cp build/bin/equidist "$work/"
measure "equidist (FLTK)" fltk_shown "$work/equidist"

if [ -x build-mingw/bin/equidist.exe ] && [ -d build-mingw/wineprefix ]; then
  export WINEPREFIX=$PWD/build-mingw/wineprefix WINEDEBUG=-all
  cp build-mingw/bin/equidist.exe "$work/"
  wineserver -p  # stays up between the runs
  measure "equidist.exe (Wine, server up)" wine_shown wine "$work/equidist.exe"
fi
