#!/usr/bin/env bash
# Sets up, builds and opens the dialog on the bundled sample exchange file,
# then prints the reply. Without a display the same exchange runs headless.
#   scripts/run.sh [DISTANCE]   (DISTANCE: for the headless run, default 10)
set -euo pipefail
cd "$(dirname "$0")/.."
distance=${1:-10}

scripts/deps.sh run
# The default preset's build in a folder of its own, without the tests,
# whose libraries only scripts/test.sh installs.
cmake --preset default -B build-run -DEQUIDIST_TESTS=OFF >/dev/null
cmake --build build-run --target equidist equidist-run
bin=build-run/bin

# The sample goes beside the program, unless an exchange file is there
# already, and goes again however the run ends: the next run starts from the
# sample, not from this one's reply.
exchange=$bin/QZT_TEMP.TXT
placed=0
cleanup() { [ $placed = 0 ] || rm -f "$exchange"; }
trap cleanup EXIT
trap 'exit 130' INT TERM
if [ ! -e "$exchange" ]; then
  cp samples/QZT_TEMP.TXT "$exchange"
  placed=1
fi

status=0
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Opening the dialog; type a distance in mm and press Enter (Esc cancels)."
  "$bin/equidist" || status=$?
else
  echo "No display is available, so the dialog cannot open."
  echo "Running the same exchange without a window: equidist-run $bin $distance"
  "$bin/equidist-run" "$bin" "$distance" || status=$?
fi

echo "---- the reply in $exchange (Shift-JIS, shown as UTF-8):"
iconv -f CP932 -t UTF-8 "$exchange" | tr -d '\r'
exit $status
