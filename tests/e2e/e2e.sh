#!/usr/bin/env bash
# e2e.sh BUILD_DIR MINGW_BUILD_DIR [fltk|wine]...
#
# Drives the real dialogs in a fresh Xvfb with xdotool: the FLTK program
# (BUILD_DIR/bin/equidist) and the Windows program under Wine
# (MINGW_BUILD_DIR/bin/equidist.exe), each from a fresh folder holding
# an exchange file, and checks the reply each way of closing leaves. The
# checks only Windows has, and Wine's prefix, are in e2e-wine.sh.
set -euo pipefail

build=$(realpath "$1")
mingw=$(realpath "$2")
shift 2
programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=(fltk wine)

here=$(dirname "$(realpath "$0")")
cases=$here/../cases
run=$build/bin/equidist-run
xclose=$build/bin/xclose
# "." and "," in the total, for the programs and equidist-run alike; UTF-8 so
# that Wine can name its windows in Japanese for xdotool to find.
export LC_ALL=C.UTF-8

work=$(mktemp -d "${TMPDIR:-/tmp}/equidist-e2e.XXXXXX")
pids=()
cleanup() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

program=""
step=""
fail() {
  echo "E2E FAIL [$program] $step: $*" >&2
  [ -s "$work/$program.stderr" ] && { echo "the program's error output:"; tail -5 "$work/$program.stderr"; } >&2
  [ -n "${DISPLAY:-}" ] && xwininfo -root -tree 2>/dev/null | grep -v "has no name" | head -20 >&2
  [ -n "${DISPLAY:-}" ] && import -window root "$work/failure.png" 2>/dev/null &&
    cp "$work/failure.png" "${TMPDIR:-/tmp}/equidist-e2e-failure.png" &&
    echo "screen at the failure: ${TMPDIR:-/tmp}/equidist-e2e-failure.png" >&2
  exit 1
}

# poll SECONDS COMMAND...: runs COMMAND until it succeeds or the time is up.
poll() {
  local limit=$1
  shift
  local end=$((SECONDS + limit))
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.1
  done
}

# ---- display --------------------------------------------------------------------------------
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset 5>"$work/display" 2>/dev/null &
pids+=($!)
poll 20 test -s "$work/display" || { program=Xvfb; fail "did not start"; }
export DISPLAY=:$(cat "$work/display")
echo "Xvfb on $DISPLAY"

# ---- the programs -----------------------------------------------------------------------------
# One row a program: its file; what runs it; how xdotool finds its windows;
# the equidist-run of the same platform, and how a folder is named to it; how
# its close button is pressed; how each start of the program becomes its own
# session, where programs share one (Wine's server); and what runs before the
# shared scenarios, and after them (what only that platform has). A new
# program is a new row, and functions for the row where it needs its own.
native_path() { printf '%s\n' "$1"; }
xclose_window() { "$xclose" "$window"; }
click_close_box() { geometry && xdotool mousemove $((left + width - 12)) $((top + 11)) click 1; }
declare -A prog_file=([fltk]=$build/bin/equidist [wine]=$mingw/bin/equidist.exe)
declare -A prog_runner=([fltk]="" [wine]=wine)
declare -A prog_windows=([fltk]="--class ^equidist\$" [wine]="--name ^等距点Ｋ\$")
declare -A prog_headless=([fltk]=$run [wine]="wine $mingw/bin/equidist-run.exe")
declare -A prog_folder_name=([fltk]=native_path [wine]="winepath -w")
declare -A prog_close_box=([fltk]=xclose_window [wine]=click_close_box)
declare -A prog_new_session=([fltk]=: [wine]=wine_restart)
declare -A prog_setup=([fltk]=: [wine]=wine_setup)
declare -A prog_own_checks=([fltk]=posix_checks [wine]=windows_checks)

window=""     # the dialog's X window
app_pid=""

# The program's visible windows, its dialog or message boxes.
program_windows() {
  local query
  read -r -a query <<<"${prog_windows[$program]}"
  xdotool search --onlyvisible "${query[@]}"
}
find_dialog() { program_windows | head -1; }

# launch DIR: the program copied into DIR (unless it is there, maybe
# running) and started there in the background; app_pid is its own (the
# shell that starts it becomes it), its error output kept for a failure to
# show.
launch() {
  local dir=$1 name
  name=$(basename "${prog_file[$program]}")
  [ -e "$dir/$name" ] || cp "${prog_file[$program]}" "$dir/"
  (cd "$dir" && exec ${prog_runner[$program]} "./$name") 2>>"$work/$program.stderr" &
  app_pid=$!
}

dialog_shown() { [ -n "$(find_dialog)" ]; }

# running PID: true while the process runs (not once it is a zombie).
running() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "${state:0:1}" != Z ]
}

# start DIR [X Y]: starts the program copied into DIR with the cursor at X, Y
# (400, 300 when not given) and waits for its dialog.
start() {
  local dir=$1 x=${2:-400} y=${3:-300}
  # The dialog centres itself on the cursor; a small move makes sure the
  # program sees where it is.
  xdotool mousemove $((x + 1)) $((y + 1))
  xdotool mousemove "$x" "$y"
  launch "$dir"
  poll 60 dialog_shown || fail "no dialog appeared"
  window=$(find_dialog)
  poll 10 settled || fail "the dialog was not painted"
}

# finish: waits for the program to end by itself.
finish() {
  poll 60 eval '! running "$app_pid"' || fail "the program did not end"
  wait "$app_pid" 2>/dev/null || true
}

# ended_with CODE: the program ends by itself with that exit code.
ended_with() {
  local code=0
  poll 60 eval '! running "$app_pid"' || fail "the program did not end"
  wait "$app_pid" 2>/dev/null || code=$?
  [ "$code" = "$1" ] || fail "exit code $code, not $1"
}

# geometry: sets left, top, width, height of the dialog's outer window.
geometry() {
  local info
  info=$(xwininfo -id "$window")
  left=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
  top=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
  width=$(awk '/Width:/ {print $2}' <<<"$info")
  height=$(awk '/Height:/ {print $2}' <<<"$info")
}

# window_shot FILE: the dialog's window as it stands on the screen now.
window_shot() {
  geometry
  import -window root -crop "${width}x$height+$left+$top" +repage "$1"
}

# settled: two looks at the dialog a tenth of a second apart see the same
# picture, and one with more than a few colours: painted, and still.
settled() {
  window_shot "$work/look-1.png"
  sleep 0.1
  window_shot "$work/look-2.png"
  [ "$(compare -metric AE "$work/look-1.png" "$work/look-2.png" null: 2>&1)" = 0 ] &&
    [ "$(convert "$work/look-2.png" -format '%k' info:)" -gt 8 ]
}

# changed_from FILE: the dialog no longer looks as in FILE.
changed_from() {
  window_shot "$work/look.png"
  [ "$(compare -metric AE "$1" "$work/look.png" null: 2>&1)" != 0 ]
}

# click_client X Y: clicks a point of the client area (295 x 89 inside the frame).
click_client() {
  geometry
  local border=$(((width - 295) / 2))
  xdotool mousemove $((left + border + $1)) $((top + height - 89 - border + $2)) click 1
}

# status_shown: the status line (Label3, the bottom 13 pixels of the client
# area at 96 dpi) holds text, not only its colour.
status_shown() {
  geometry
  local border=$(((width - 295) / 2))
  import -window root -crop "285x11+$((left + border + 5))+$((top + height - border - 12))" +repage "$work/status.png" &&
    [ "$(convert "$work/status.png" -format '%[fx:standard_deviation > 0.02]' info:)" = 1 ]
}

close_button() { "${prog_close_box[$program]}"; }

# scenario NAME INPUT_FILE|- : a fresh folder with the program and the input.
scenario() {
  step=$1
  dir=$work/$program-$1
  mkdir -p "$dir"
  [ "$2" = "-" ] || cp "$2" "$dir/QZT_TEMP.TXT"
}

expect_reply() {
  [ -f "$dir/QZT_TEMP.TXT" ] || fail "no exchange file"
  cmp -s "$dir/QZT_TEMP.TXT" "$1" || {
    od -c "$dir/QZT_TEMP.TXT" | head -20 >&2
    fail "the reply differs from $1"
  }
  local left_over
  left_over=$(ls -A "$dir" | grep -v -x -e QZT_TEMP.TXT -e equidist -e equidist.exe || true)
  [ -z "$left_over" ] || fail "files left beside the reply: $left_over"
}

# With E2E_SCREENSHOTS=DIR, the dialog with a distance typed is saved as
# DIR/dialog-PROGRAM.png, or DIR/NAME.png (the pictures in the README).
screenshot() {
  [ -n "${E2E_SCREENSHOTS:-}" ] || return 0
  poll 10 settled || fail "the dialog did not settle for its picture"
  mkdir -p "$E2E_SCREENSHOTS"
  import -window root -crop "$((width + 16))x$((height + 16))+$((left - 8))+$((top - 8))" +repage \
    "$E2E_SCREENSHOTS/${1:-dialog-$program}.png"
}

# headless_reply INPUT DISTANCE [--esc-at K]: the same exchange through the
# platform's own equidist-run, in $work/headless-PROGRAM, which the dialog
# must reply byte for byte (the two platforms' replies are compared by
# same-bytes.sh).
headless_reply() {
  local input=$1 out=$work/headless-$program cmd
  shift
  rm -rf "$out" && mkdir -p "$out" && cp "$input" "$out/QZT_TEMP.TXT"
  read -r -a cmd <<<"${prog_headless[$program]}"
  "${cmd[@]}" "$(${prog_folder_name[$program]} "$out")" "$@"
}

# no_display: the program started where no display can be had (no desktop
# on Windows, no X server): its window cannot be made, so it ends at once,
# and the host must find "hq" in the exchange file, never its own selection.
no_display() {
  scenario no-display "$sample"
  local code=0 name
  name=$(basename "${prog_file[$program]}")
  "${prog_new_session[$program]}"  # the program's session, and its desktop, without the display
  cp "${prog_file[$program]}" "$dir/" && (cd "$dir" && env -u DISPLAY timeout 120 ${prog_runner[$program]} "./$name") 2>/dev/null ||
    code=$?
  "${prog_new_session[$program]}"
  [ "$code" = 1 ] || fail "exit code $code, not 1"
  expect_reply "$work/hq"
  echo "   without a display: exit code 1, the reply hq"
}

printf 'hq\r\n' >"$work/hq"
printf 'hp1 0 10\r\nci 0 0 10\r\n' >"$work/circle.txt"
sample=$cases/overview/QZT_TEMP.TXT

# A chain of 20,000 joined half ellipses: several seconds of measuring.
awk 'BEGIN { printf "hp1 0 0\r\n"; for (i = 0; i < 20000; i++) printf "ci %d 0 100 180 0 0.5 0\r\n", 200 * i + 100 }' >"$work/arcs.txt"

run_scenarios() {
  echo "== $program"
  no_display

  scenario cancel-and-placement "$sample"
  start "$dir"
  geometry
  [ "$left,$top" = "$((400 - width / 2)),$((300 - height / 2))" ] ||
    fail "dialog ${width}x$height at $left,$top, not centred on the cursor at 400,300"
  click_client $((176 + 56)) $((40 + 12))
  finish
  expect_reply "$work/hq"

  # At a corner of the screen the dialog stays centred on the cursor, partly
  # off the screen; then Esc.
  scenario escape-at-a-corner "$sample"
  start "$dir" 5 5
  geometry
  [ "$left,$top" = "$((5 - width / 2)),$((5 - height / 2))" ] ||
    fail "dialog ${width}x$height at $left,$top, not centred on the cursor at 5,5"
  xdotool key Escape
  finish
  expect_reply "$work/hq"

  scenario alt-n "$sample"
  start "$dir"
  xdotool key alt+n
  finish
  expect_reply "$work/hq"

  scenario close-button "$sample"
  start "$dir"
  close_button
  finish
  expect_reply "$work/hq"

  scenario distance-and-enter "$sample"
  start "$dir"
  xdotool type --delay 40 "4"
  screenshot
  xdotool key Return
  finish
  headless_reply "$sample" 4
  expect_reply "$work/headless-$program/QZT_TEMP.TXT"

  # Folder names with Japanese characters and blanks, and a folder path
  # beyond the 260 characters of old Windows programs.
  local long=$work/$program-long i
  for i in 1 2 3 4 5 6; do long+=/a-folder-name-long-enough-to-pass-the-old-limit-$i; done
  for dir in "$work/$program-現場 図面/設計 1" "$long"; do
    step="folder of ${#dir} characters: ${dir:0:60}..."
    mkdir -p "$dir" && cp "$sample" "$dir/QZT_TEMP.TXT"
    start "$dir"
    xdotool type --delay 40 "4"
    xdotool key Return
    finish
    expect_reply "$work/headless-$program/QZT_TEMP.TXT"
  done

  scenario unusable-distance-then-escape "$sample"
  start "$dir"
  xdotool type --delay 40 "abc"
  poll 10 settled || fail "the typed distance did not show"
  window_shot "$work/typed.png"
  # OK selects the distance for the next one to be typed over it.
  xdotool key Return
  poll 10 changed_from "$work/typed.png" || fail "OK did nothing that shows"
  running "$app_pid" || fail "an unusable distance closed the dialog"
  xdotool key Escape
  finish
  expect_reply "$work/hq"

  # An OK that leaves the dialog open puts the focus back in the edit box with
  # its text selected, however OK was pressed, so the next distance is typed
  # straight over the last; and the OK that works replies what one OK with
  # its distance replies: the refused ones before it left no trace.
  headless_reply "$work/circle.txt" 10
  scenario refused-then-accepted-by-enter "$work/circle.txt"
  start "$dir"
  xdotool type --delay 40 "0.0000001"
  xdotool key Return
  xdotool type --delay 40 "10"
  xdotool key Return
  finish
  expect_reply "$work/headless-$program/QZT_TEMP.TXT"

  scenario unusable-by-click-refused-by-alt-y-then-accepted "$work/circle.txt"
  start "$dir"
  xdotool type --delay 40 "abc"
  click_client $((80 + 40)) $((40 + 12))
  xdotool type --delay 40 "0.0000001"
  xdotool key alt+y
  xdotool type --delay 40 "10"
  xdotool key alt+y
  finish
  expect_reply "$work/headless-$program/QZT_TEMP.TXT"

  scenario missing-file -
  start "$dir"
  click_client $((176 + 56)) $((40 + 12))
  finish
  expect_reply "$work/hq"

  # A second program on the same exchange file while the first is open says
  # so in a message box and changes nothing (exit code 5); the first then
  # answers as ever.
  scenario second-program "$sample"
  start "$dir"
  local first=$window first_pid=$app_pid
  launch "$dir"
  other_window() { program_windows | grep -v -x "$first" | head -1; }
  poll 60 eval '[ -n "$(other_window)" ]' || fail "no message box from the second program"
  window=$(other_window)
  poll 10 settled || fail "the message box was not painted"
  xdotool key Return
  ended_with 5
  cmp -s "$dir/QZT_TEMP.TXT" "$sample" || fail "the second program changed the file"
  # The first dialog may have lost the focus to the box: a click in its edit
  # box gives it back.
  window=$first app_pid=$first_pid
  click_client 120 18
  xdotool key Escape
  finish
  expect_reply "$work/hq"

  scenario escape-held-during-a-long-walk "$work/arcs.txt"
  start "$dir"
  xdotool type --delay 40 "240"
  xdotool key Return
  # The walk says so in the status line; some way into it, ESC goes down.
  poll 30 status_shown || fail "the walk did not begin"
  sleep 0.5  # not a wait for anything: how far the walk gets before ESC
  xdotool keydown Escape
  finish
  xdotool keyup Escape
  local reply=$dir/QZT_TEMP.TXT points
  points=$(grep -c '^pt ' "$reply" || true)
  [ "$(head -3 "$reply" | tr -d '\r' | tr '\n' ' ')" = "lg0 ly0 pn1 " ] || fail "no attribute records"
  tail -1 "$reply" | grep -q '^h#' || fail "no closing comment"
  [ "$points" -gt 0 ] && [ "$points" -lt 20000 ] || fail "$points points: ESC did not stop the walk"
  # The points so far are those of the walk stopped before the same segment,
  # on the same platform.
  headless_reply "$work/arcs.txt" 240 --esc-at $((points + 2))
  cmp -s <(grep '^pt ' "$reply") <(grep '^pt ' "$work/headless-$program/QZT_TEMP.TXT" | head -"$points") ||
    fail "the $points points differ from the same walk without a window"
  echo "   ESC stopped the walk after $points of about 20,000 points"
  step=""
  echo "== $program: all scenarios passed"
}

# ---- POSIX only: the session's end -----------------------------------------------------------
posix_checks() {
  echo "== $program: POSIX only"
  # The session ends (SIGTERM at logout, SIGHUP as the terminal goes): the
  # host is answered as Cancel answers it, with exit code 1, while the
  # dialog waits and during a walk.
  scenario sigterm-while-open "$sample"
  start "$dir"
  kill -TERM "$app_pid"
  ended_with 1
  expect_reply "$work/hq"

  scenario sighup-during-a-walk "$work/arcs.txt"
  start "$dir"
  xdotool type --delay 40 "240"
  xdotool key Return
  poll 30 status_shown || fail "the walk did not begin"
  kill -HUP "$app_pid"
  ended_with 1
  expect_reply "$work/hq"
  step=""
  echo "== $program: POSIX checks passed"
}

# ---- Windows only: the prefix, files other programs hold, the resources, DPI ----------------
# shellcheck source=e2e-wine.sh
. "$here/e2e-wine.sh"

for program in "${programs[@]}"; do
  [ -n "${prog_file[$program]:-}" ] || fail "unknown program"
  "${prog_setup[$program]}" && run_scenarios && "${prog_own_checks[$program]}"
done
echo "E2E: all passed"
