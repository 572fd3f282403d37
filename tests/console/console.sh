#!/usr/bin/env bash
# console.sh MINGW_BUILD_DIR: equidist-run.exe's messages read as Japanese
# in a console whose code page is not UTF-8 (932, as on Japanese Windows),
# and are UTF-8 bytes when standard error goes to a file. Wine gives its
# programs a console when they run in a terminal, which `script` provides.
set -euo pipefail
mingw=$(realpath "$1")
run=$mingw/bin/equidist-run.exe
want="端点が検索出来ませんでした"  # the status for a missing exchange file
export LC_ALL=C.UTF-8

work=$(mktemp -d "${TMPDIR:-/tmp}/equidist-console.XXXXXX")
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "CONSOLE FAIL: $*" >&2; exit 1; }

timeout 300 wineboot -i >/dev/null 2>&1 || fail "wineboot failed"
mkdir "$work/empty"
folder=$(winepath -w "$work/empty")

for cp in 932 437 65001; do
  rm -f "$work/empty/QZT_TEMP.TXT"
  printf '@echo off\r\nchcp %s >nul\r\n"%s" "%s" 4\r\n' "$cp" "$(winepath -w "$run")" "$folder" >"$work/run.bat"
  (cd "$work" && script -qec "wine cmd /c run.bat" /dev/null >"$work/tty" </dev/null) || true
  # What the terminal shows, without its control sequences.
  shown=$(sed -e 's/\x1b\[[0-9;?]*[A-Za-z]//g' -e 's/\r//g' "$work/tty")
  [[ $shown == *"$want"* ]] || fail "code page $cp: the console shows"$'\n'"$shown"
  echo "ok code page $cp: the console shows $want"
done

rm -f "$work/empty/QZT_TEMP.TXT"
rc=0
wine "$run" "$folder" 4 2>"$work/stderr" || rc=$?
[ $rc = 2 ] || fail "exit code $rc"
cmp -s "$work/stderr" <(printf '%s\r\n' "$want") || fail "redirected, standard error holds: $(od -c "$work/stderr" | head -5)"
echo "ok redirected: UTF-8 bytes"
echo "CONSOLE: all passed"
