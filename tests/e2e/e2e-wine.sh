# Sourced by e2e.sh: the Windows program's own checks under Wine, on the
# helpers of e2e.sh (fail, poll, start, finish, geometry, expect_reply, ...).
# wine_setup makes the prefix; windows_checks runs what only Windows has: the
# files other programs hold, the version resource and manifest, the layout
# at 96, 144 and 192 dpi.

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

# Every program of the prefix ended, its server too: the next start is a new session.
wine_restart() {
  wineserver -k 2>/dev/null || true
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
  # In window order: Label2, Label3 (docked to the bottom), then Label1 right
  # before Edit1, which screen readers name after it; Button1, Button2.
  want=""
  for c in "Static 168 16 14 13" "Static 0 - 295 13" "Static 8 12 52 13" "Edit 80 8 81 21" \
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

# contrast X Y W H: in that part of the client area at 96 dpi, the contrast
# ratio (WCAG 2) of the colour that stands out most from the commonest one,
# the text's ink on its background.
contrast() {
  import -window root -crop "${3}x$4+$((client_left + $1))+$((client_top + $2))" +repage "$work/part.png"
  convert "$work/part.png" -format %c histogram:info: | tr -d ' ' | awk -F'[:(),]' '
    function lin(c) { c /= 255; return c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ^ 2.4 }
    { n[NR] = $1; l[NR] = 0.2126 * lin($3) + 0.7152 * lin($4) + 0.0722 * lin($5); if ($1 > n[bg]) bg = NR }
    END {
      for (i in l) if (n[i] >= 3) {
        r = (l[i] > l[bg] ? (l[i] + 0.05) / (l[bg] + 0.05) : (l[bg] + 0.05) / (l[i] + 0.05))
        if (r > best) best = r
      }
      printf "%.2f\n", best
    }'
}

# colour_at X Y: the colour of one pixel of the client area, as R,G,B.
colour_at() {
  import -window root -crop "1x1+$((client_left + $1))+$((client_top + $2))" +repage "$work/pixel.png"
  convert "$work/pixel.png" -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:
}

# readable WHAT: Label1's text and the status line's message stand out from
# their backgrounds by at least 4.5:1; sets label_ratio, status_ratio.
readable() {
  label_ratio=$(contrast 8 12 52 13)
  status_ratio=$(contrast 0 76 295 13)
  awk -v a="$label_ratio" -v b="$status_ratio" 'BEGIN { exit !(a >= 4.5 && b >= 4.5) }' ||
    fail "$1: the label stands out by $label_ratio:1, the status message by $status_ratio:1"
  echo "   $1: the label $label_ratio:1, the status message $status_ratio:1"
}

# set_colours dark|light: the user's colours as Windows starts programs with
# them, a dark contrast scheme without the contrast flag or the usual ones.
set_colours() {
  local text="0 0 0" back="255 255 255" face="240 240 240" name
  [ "$1" = dark ] && text="255 255 255" back="0 0 0" face="0 0 0"
  for name in "WindowText $text" "ButtonText $text" "Window $back" "ButtonFace $face"; do
    wine reg add 'HKCU\Control Panel\Colors' /v "${name%% *}" /t REG_SZ /d "${name#* }" /f >/dev/null 2>&1 ||
      fail "cannot set the colours"
  done
  wine_restart
}

set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 ||
    fail "cannot set $1 dpi"
  wine_restart
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
  sleep 1.5  # how long the hold lasts
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
  sleep 1  # how long the hold lasts once the program has started
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

  # Four programs at once on one exchange file, each with a distance of its
  # own: one replies in full, the others change nothing (exit code 5).
  # Through a new file and the move, and rewritten in place in a folder where
  # no file can be made (immutable: binding root too); there the lock is a
  # mutex of the session.
  "$build/bin/gen-exchange" arcs 4000 "$work/arcs-4000.txt" >/dev/null
  local mode i codes winner four_pids
  for mode in rename in-place; do
    step="four programs at once, $mode"
    dir=$work/four-$mode && mkdir -p "$dir" && cp "$work/arcs-4000.txt" "$dir/QZT_TEMP.TXT"
    if [ $mode = in-place ] && ! chattr +i "$dir" 2>/dev/null; then
      echo "   skipped $mode: no folder can be made immutable here"
      continue
    fi
    four_pids=()
    for i in 0 1 2 3; do
      (code=0
       wine "$run_exe" "$(winepath -w "$dir")" $((240 + i)) --threads 1 >/dev/null 2>&1 || code=$?
       echo $code >"$work/four-rc-$i") &
      four_pids+=($!)
    done
    wait "${four_pids[@]}"
    [ $mode = rename ] || chattr -i "$dir"
    codes="" winner=""
    for i in 0 1 2 3; do
      codes+="$(cat "$work/four-rc-$i") "
      [ "$(cat "$work/four-rc-$i")" = 0 ] && winner=$i
    done
    [ "$(tr ' ' '\n' <<<"$codes" | grep -c '^0$')" = 1 ] && [ "$(tr ' ' '\n' <<<"$codes" | grep -c '^5$')" = 3 ] ||
      fail "exit codes $codes, not one 0 and three 5"
    mkdir -p "$work/four-want" && cp "$work/arcs-4000.txt" "$work/four-want/QZT_TEMP.TXT"
    "$build/bin/equidist-run" "$work/four-want" $((240 + winner)) --threads 1
    expect_reply "$work/four-want/QZT_TEMP.TXT"
    echo "   $mode: exit codes $codes; the one reply in full"
  done

  # A read-only system file is replaced, and the reply is a read-only system
  # file too (Wine keeps no hidden flag to test); a folder named with ".."
  # in it is the folder it leads to.
  step="a read-only system file, a path through .."
  dir=$work/read-only && mkdir -p "$dir" "$work/elsewhere" && cp "$sample" "$dir/QZT_TEMP.TXT"
  local file attrs
  file=$(winepath -w "$dir/QZT_TEMP.TXT")
  chmod 444 "$dir/QZT_TEMP.TXT"  # Wine's read-only flag
  wine cmd /c attrib +s "$file" >/dev/null 2>&1 || fail "attrib failed"
  rc=0
  wine "$run_exe" "$(winepath -w "$work/elsewhere")\\..\\read-only" 4 >/dev/null 2>"$work/run.err" || rc=$?
  [ "$rc" = 0 ] || fail "exit code $rc: $(cat "$work/run.err")"
  expect_reply "$want"
  attrs=$(wine cmd /c attrib "$file" 2>/dev/null | tr -d '\r' | cut -c1-10)
  [[ $attrs == *R* && $attrs == *S* ]] || fail "the reply's attributes are '$attrs', not read-only and system"
  echo "   replaced through elsewhere\\..\\read-only; a read-only system file still"

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
  poll 10 settled || fail "the message box was not painted"
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

  step="the design's colours, and a contrast scheme while the dialog is open"
  dir=$work/colours && mkdir -p "$dir" && printf 'hp1 0 10\r\nci 0 0 10\r\n' >"$dir/QZT_TEMP.TXT"
  start "$dir"
  check_layout 96 >/dev/null
  [ "$(colour_at 4 4)" = 166,202,240 ] || fail "the form is $(colour_at 4 4), not sky blue"
  [ "$(colour_at 2 84)" = 128,179,234 ] || fail "the status line is $(colour_at 2 84), not its blue"
  xdotool type --delay 40 "0.0000001"
  xdotool key Return  # too many points: a message in the status line
  poll 10 status_shown || fail "no message in the status line"
  readable "the design's colours"
  wine "$helper" syscolors '等距点Ｋ' dark || fail "the colours could not be changed"
  poll 10 eval '[ "$(colour_at 4 4)" = 0,0,0 ]' || fail "the dialog kept $(colour_at 4 4) in a dark scheme"
  poll 10 settled || fail "the dialog was not drawn anew"
  readable "a dark scheme, switched to while open"
  screenshot dialog-wine-dark
  wine "$helper" syscolors '等距点Ｋ' light || fail "the colours could not be changed back"
  poll 10 eval '[ "$(colour_at 4 4)" = 166,202,240 ]' || fail "the dialog kept $(colour_at 4 4) after the scheme"
  xdotool key Escape
  finish
  expect_reply "$work/hq"

  step="dark colours as the program starts"
  set_colours dark
  start "$dir"
  check_layout 96 >/dev/null
  [ "$(colour_at 4 4)" = 0,0,0 ] || fail "the form is $(colour_at 4 4) in a dark scheme"
  xdotool type --delay 40 "0.0000001"
  xdotool key Return
  poll 10 status_shown || fail "no message in the status line"
  readable "dark colours from the start"
  xdotool key Escape
  finish
  expect_reply "$work/hq"
  set_colours light

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

