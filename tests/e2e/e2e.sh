#!/usr/bin/env bash
# e2e.sh BUILD_DIR MINGW_BUILD_DIR [fltk|wine]...
#
# Drives the real dialogs in a fresh Xvfb with xdotool: the FLTK program
# (BUILD_DIR/bin/equidist) and the Windows program under Wine
# (MINGW_BUILD_DIR/bin/equidist.exe), each from a fresh folder holding
# an exchange file, and checks the reply each way of closing leaves.
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
window=""     # the dialog's X window
app_pid=""

find_dialog() {
  case $program in
    fltk) xdotool search --onlyvisible --class '^equidist$' | head -1 ;;
    wine) xdotool search --onlyvisible --name '^等距点Ｋ$' | head -1 ;;
  esac
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
  case $program in
    fltk) cp "$build/bin/equidist" "$dir/" && (cd "$dir" && exec ./equidist) & ;;
    wine) cp "$mingw/bin/equidist.exe" "$dir/" && (cd "$dir" && exec wine equidist.exe) 2>/dev/null & ;;
  esac
  app_pid=$!
  poll 60 dialog_shown || fail "no dialog appeared"
  window=$(find_dialog)
  sleep 0.3  # the first paint
}

# finish: waits for the program to end by itself.
finish() {
  poll 60 eval '! running "$app_pid"' || fail "the program did not end"
  wait "$app_pid" 2>/dev/null || true
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

close_button() {
  case $program in
    fltk) "$xclose" "$window" ;;
    wine) geometry && xdotool mousemove $((left + width - 12)) $((top + 11)) click 1 ;;
  esac
}

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
  geometry
  mkdir -p "$E2E_SCREENSHOTS"
  sleep 0.3
  import -window root -crop "$((width + 16))x$((height + 16))+$((left - 8))+$((top - 8))" +repage \
    "$E2E_SCREENSHOTS/${1:-dialog-$program}.png"
}

# headless_reply INPUT DISTANCE [--esc-at K]: the same exchange through the
# platform's own equidist-run, in $work/headless-PROGRAM: arcs call sine,
# cosine and arctangent, whose last bits differ between the C libraries.
headless_reply() {
  local input=$1 out=$work/headless-$program
  shift
  rm -rf "$out" && mkdir -p "$out" && cp "$input" "$out/QZT_TEMP.TXT"
  case $program in
    fltk) "$run" "$out" "$@" ;;
    wine) wine "$mingw/bin/equidist-run.exe" "$(winepath -w "$out")" "$@" ;;
  esac
}

# no_display: the program started where no display can be had (no desktop
# on Windows, no X server): its window cannot be made, so it ends at once,
# and the host must find "hq" in the exchange file, never its own selection.
no_display() {
  scenario no-display "$sample"
  local code=0
  case $program in
    fltk) cp "$build/bin/equidist" "$dir/" && (cd "$dir" && env -u DISPLAY timeout 60 ./equidist) 2>/dev/null || code=$? ;;
    wine)
      # Wine's desktop, and every program of the prefix, without the display.
      wineserver -k 2>/dev/null || true
      wineserver -w
      cp "$mingw/bin/equidist.exe" "$dir/" && (cd "$dir" && env -u DISPLAY timeout 120 wine equidist.exe) 2>/dev/null ||
        code=$?
      wineserver -k 2>/dev/null || true
      wineserver -w ;;
  esac
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
  xdotool key Return
  sleep 0.5
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

  scenario escape-held-during-a-long-walk "$work/arcs.txt"
  start "$dir"
  xdotool type --delay 40 "240"
  xdotool key Return
  # The walk says so in the status line; some way into it, ESC goes down.
  poll 30 status_shown || fail "the walk did not begin"
  sleep 0.5
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

# ---- Wine: its own prefix under the build folder, made once per run -----------------------------
wine_setup() {
  export WINEPREFIX=$mingw/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  rm -rf "$WINEPREFIX"
  step="wineboot"
  timeout 300 wineboot -i >/dev/null 2>&1 || fail "wineboot failed"
  # The dialog's font, the caption font's Japanese fallback, and the title-bar
  # symbols; one virtual desktop for every program of the prefix.
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for f in "ＭＳ ゴシック" "MS Gothic" "MS UI Gothic" "ＭＳ Ｐゴシック" "MS PGothic"; do
      printf '"%s"="IPAGothic"\r\n' "$f"
    done
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="e2e"\r\n'
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"e2e"="1024x768"\r\n'
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$work/fonts.reg"
  wine regedit /S "$work/fonts.reg" >/dev/null 2>&1 || fail "regedit failed"
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  wineserver -w
}

# ---- Windows only: files other programs hold, the resources, a high DPI ------------------------
helper=$mingw/bin/e2e-win.exe
run_exe=$mingw/bin/equidist-run.exe

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# hold_file DIR none|read: another program holds DIR/QZT_TEMP.TXT open for
# reading, sharing nothing or reading only, until release_file.
hold_file() {
  rm -f "$work/release" "$work/hold.out"
  wine "$helper" hold "$(winepath -w "$1/QZT_TEMP.TXT")" "$2" 60000 "$(winepath -w "$work/release")" \
    >"$work/hold.out" 2>/dev/null &
  hold_pid=$!
  poll 30 grep -q held "$work/hold.out" || fail "the helper could not hold the file"
}

release_file() {
  touch "$work/release"
  poll 30 eval '! running "$hold_pid"' || fail "the helper did not let go of the file"
  wait "$hold_pid" 2>/dev/null || true
}

# start_run DIR: equidist-run.exe DIR 4 in the background; finish_run waits
# for it and sets rc.
start_run() {
  rm -f "$work/rc"
  (
    code=0
    wine "$run_exe" "$(winepath -w "$1")" 4 2>"$work/run.err" || code=$?
    echo $code >"$work/rc"
  ) &
  run_pid=$!
}
finish_run() {
  poll 60 test -s "$work/rc" || fail "equidist-run.exe did not end"
  wait "$run_pid" 2>/dev/null || true
  rc=$(cat "$work/rc")
}
run_ended() { test -s "$work/rc"; }
temp_or_end() { compgen -G "$dir/*.tmp" >/dev/null || run_ended; }

no_temp_left() {
  local left
  left=$(ls -A "$dir" | grep -v -x -e QZT_TEMP.TXT -e equidist.exe || true)
  [ -z "$left" ] || fail "files left beside the exchange file: $left"
}

# scaled V DPI: V pixels at 96 dpi scaled as MulDiv does, to the nearest.
scaled() { echo $((($1 * $2 + 48) / 96)); }

# window_dpi: the DPI Windows gives the dialog's window.
window_dpi() { wine "$helper" layout '等距点Ｋ' | tr -d '\r' | sed -n 's/^dpi //p'; }

# check_layout DPI [LEFT TOP]: the dialog's client area and controls are the
# layout at 96 dpi scaled to DPI, and the dialog is centred on the cursor at
# 400, 300 by its outer size, or has its top left corner at LEFT, TOP. Sets
# client_left, client_top.
check_layout() {
  local dpi=$1 info want
  info=$(wine "$helper" layout '等距点Ｋ' | tr -d '\r')
  read -r _ ol ot ow oh <<<"$(grep '^outer' <<<"$info")"
  read -r _ client_left client_top cw ch <<<"$(grep '^client' <<<"$info")"
  [ "$cw $ch" = "$(scaled 295 "$dpi") $(scaled 89 "$dpi")" ] || fail "client area ${cw}x$ch at $dpi dpi"
  if [ $# = 3 ]; then
    [ "$ol,$ot" = "$2,$3" ] || fail "outer ${ow}x$oh at $ol,$ot, not at $2,$3"
  else
    [ "$ol,$ot" = "$((400 - ow / 2)),$((300 - oh / 2))" ] ||
      fail "outer ${ow}x$oh at $ol,$ot: not centred on the cursor at 400,300"
  fi
  # Label1, Label2, Label3 (docked to the bottom), Edit1, Button1, Button2.
  want=""
  for c in "Static 8 12 52 13" "Static 168 16 14 13" "Static 0 - 295 13" "Edit 80 8 81 21" \
    "Button 80 40 81 25" "Button 176 40 113 25"; do
    read -r cls x y w h <<<"$c"
    if [ "$y" = - ]; then
      want+="control $cls 0 $((ch - $(scaled 13 "$dpi"))) $cw $(scaled 13 "$dpi")"$'\n'
    else
      want+="control $cls $(scaled "$x" "$dpi") $(scaled "$y" "$dpi") $(scaled "$w" "$dpi") $(scaled "$h" "$dpi")"$'\n'
    fi
  done
  [ "$(grep '^control' <<<"$info")" = "${want%$'\n'}" ] ||
    fail "the controls are not the layout at $dpi dpi:"$'\n'"$(grep '^control' <<<"$info")"
  echo "   $dpi dpi: outer ${ow}x$oh, client ${cw}x$ch"
}

# text_height DPI: the height of the ink of Label1's text on the screen.
text_height() {
  local dpi=$1
  import -window root -crop "$(scaled 52 "$dpi")x$(scaled 13 "$dpi")+$((client_left + $(scaled 8 "$dpi")))+$((client_top + $(scaled 12 "$dpi")))" \
    +repage "$work/label.png"
  convert "$work/label.png" -fuzz 20% -trim -format '%h' info:
}

set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 ||
    fail "cannot set $1 dpi"
  wineserver -k 2>/dev/null || true
  wineserver -w
}

windows_checks() {
  echo "== wine: Windows only"
  local want=$work/sample-at-4 t1 t2 t3 version
  program=wine
  headless_reply "$sample" 4
  cp "$work/headless-wine/QZT_TEMP.TXT" "$want"

  step="version resource and manifest"
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$mingw/CMakeCache.txt")
  wine "$helper" resources "$(winepath -w "$mingw/bin/equidist.exe")" | tr -d '\r' >"$work/resources"
  for line in "FixedFileVersion $version.0" "ProductName equidist" "ProductVersion $version" \
    "FileVersion $version" "OriginalFilename equidist.exe"; do
    grep -q -x "$line" "$work/resources" || fail "no '$line' in the version resource"
  done
  grep -q '^FileDescription 等距点Ｋ：' "$work/resources" || fail "no Japanese file description"
  local manifest
  manifest=$(tr -s ' \n' ' ' <"$work/resources")
  for text in 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' '>PerMonitorV2, System</dpiAwareness>' \
    '>true</dpiAware>' 'level="asInvoker"' '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'; do
    [[ $manifest == *"$text"* ]] || fail "the manifest lacks $text"
  done
  [ "$(wine "$run_exe" --version | tr -d '\r')" = "equidist-run $version" ] || fail "equidist-run.exe --version"
  echo "   version $version in both programs; manifest with visual styles, per-monitor DPI, asInvoker"

  step="a shared-read hold while the reply is written"
  dir=$work/hold-while-writing && mkdir -p "$dir" && cp "$sample" "$dir/QZT_TEMP.TXT"
  hold_file "$dir" read
  start_run "$dir"
  poll 60 temp_or_end || fail "equidist-run.exe neither wrote a reply nor ended"
  run_ended && fail "it ended (exit $(cat "$work/rc")) while the file was held"
  t1=$(now_ms)
  sleep 1.5
  release_file
  t2=$(now_ms)
  finish_run
  t3=$(now_ms)
  [ "$rc" = 0 ] || fail "exit code $rc: $(cat "$work/run.err")"
  expect_reply "$want"
  echo "   the reply waited $((t2 - t1)) ms for the hold and was placed $((t3 - t2)) ms after it ended"

  step="an exclusive hold as the program starts"
  dir=$work/hold-at-start && mkdir -p "$dir" && cp "$sample" "$dir/QZT_TEMP.TXT"
  hold_file "$dir" none
  t1=$(now_ms)
  start_run "$dir"
  sleep 1
  run_ended && fail "it ended (exit $(cat "$work/rc")) while the file was held"
  release_file
  t2=$(now_ms)
  finish_run
  t3=$(now_ms)
  [ "$rc" = 0 ] || fail "exit code $rc: $(cat "$work/run.err")"
  expect_reply "$want"
  echo "   held for $((t2 - t1)) ms as it started; the exchange ended $((t3 - t2)) ms after"

  step="a hold longer than the wait, equidist-run.exe"
  dir=$work/hold-too-long && mkdir -p "$dir" && cp "$sample" "$dir/QZT_TEMP.TXT"
  hold_file "$dir" read
  start_run "$dir"
  poll 60 temp_or_end || fail "equidist-run.exe neither wrote a reply nor ended"
  t1=$(now_ms)
  finish_run
  t2=$(now_ms)
  release_file
  [ "$rc" = 3 ] || fail "exit code $rc, not 3: $(cat "$work/run.err")"
  grep -q 'QZT_TEMP.TXT' "$work/run.err" || fail "nothing said on standard error"
  cmp -s "$dir/QZT_TEMP.TXT" "$sample" || fail "the host's selection was changed"
  no_temp_left
  [ $((t2 - t1)) -ge 4000 ] || fail "it gave up after $((t2 - t1)) ms"
  echo "   gave up $((t2 - t1)) ms after the reply was ready: exit code 3, the selection kept, no temporary file"

  program=wine
  step="a hold longer than the wait, the dialog"
  dir=$work/hold-too-long-dialog && mkdir -p "$dir" && cp "$sample" "$dir/QZT_TEMP.TXT"
  hold_file "$dir" read
  start "$dir"
  xdotool type --delay 40 "4"
  xdotool key Return
  message_box() { xdotool search --onlyvisible --name '^等距点Ｋ$' | grep -v -x "$window" | head -1; }
  poll 30 eval '[ -n "$(message_box)" ]' || fail "no message box"
  local form=$window
  window=$(message_box)
  sleep 1  # placed and painted
  screenshot reply-not-placed-wine
  window=$form
  xdotool key Return
  finish
  release_file
  cmp -s "$dir/QZT_TEMP.TXT" "$sample" || fail "the host's selection was changed"
  no_temp_left
  echo "   the dialog told the user; the selection kept, no temporary file"

  step="the layout at 96 dpi"
  dir=$work/dpi-96 && mkdir -p "$dir" && cp "$sample" "$dir/QZT_TEMP.TXT"
  start "$dir"
  [ "$(window_dpi)" = 96 ] || fail "the dialog is not at 96 dpi"
  check_layout 96
  local text96
  text96=$(text_height 96)
  xdotool key Escape
  finish
  expect_reply "$work/hq"

  step="144 dpi"
  set_dpi 144
  dir=$work/dpi-144 && mkdir -p "$dir" && cp "$sample" "$dir/QZT_TEMP.TXT"
  start "$dir"
  [ "$(window_dpi)" = 144 ] || fail "the dialog's window is not at 144 dpi"
  check_layout 144
  local text144 text192
  text144=$(text_height 144)
  # The font's 13 pixels scale with the rest: the ink of its text by about 1.5.
  [ $((text144 * 10)) -ge $((text96 * 13)) ] && [ $((text144 * 10)) -le $((text96 * 17)) ] ||
    fail "the text is $text144 pixels high at 144 dpi, $text96 at 96"
  xdotool type --delay 40 "4"
  screenshot dialog-wine-144dpi
  # Dragged onto a monitor of 192 dpi, where Windows suggests the top left
  # corner 20, 30: the dialog lays itself out again.
  step="144 dpi, then moved to a monitor of 192 dpi"
  wine "$helper" dpichanged '等距点Ｋ' 192 20 30 || fail "the message did not reach the dialog"
  check_layout 192 20 30
  text192=$(text_height 192)
  [ $((text192 * 10)) -ge $((text96 * 17)) ] && [ $((text192 * 10)) -le $((text96 * 23)) ] ||
    fail "the text is $text192 pixels high at 192 dpi, $text96 at 96"
  xdotool key Return
  finish
  expect_reply "$want"
  echo "   text $text96 pixels high at 96 dpi, $text144 at 144, $text192 at 192; Enter divides"
  set_dpi 96
  step=""
  echo "== wine: Windows checks passed"
}

for program in "${programs[@]}"; do
  case $program in
    fltk) run_scenarios ;;
    wine) wine_setup && run_scenarios && windows_checks ;;
    *) fail "unknown program" ;;
  esac
done
echo "E2E: all passed"
