#!/usr/bin/env bash
# Sets up, builds and opens the dialog on the bundled sample exchange file,
# then prints the reply. Without a display the same exchange runs headless.
#   scripts/run.sh [DISTANCE]   (DISTANCE: for the headless run, default 10)
set -euo pipefail
cd "$(dirname "$0")/.."
distance=${1:-10}

scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target equidist equidist-run

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  folder=build/app/fltk
  echo "Opening the dialog; type a distance in mm and press Enter (Esc cancels)."
else
  folder=build/app/headless
  echo "No display is available, so the dialog cannot open."
  echo "Running the same exchange without a window: equidist-run $folder $distance"
fi

# The sample goes beside the program, unless an exchange file is there already.
exchange=$folder/QZT_TEMP.TXT
placed=0
if [ ! -e "$exchange" ]; then
  cp samples/QZT_TEMP.TXT "$exchange"
  placed=1
fi

status=0
if [ "$folder" = build/app/fltk ]; then
  "$folder/equidist"
else
  "$folder/equidist-run" "$folder" "$distance" || status=$?
fi

echo "---- the reply in $exchange (Shift-JIS, shown as UTF-8):"
iconv -f CP932 -t UTF-8 "$exchange" | tr -d '\r'
# The next run starts from the sample again.
[ $placed = 1 ] && rm -f "$exchange"
exit $status
