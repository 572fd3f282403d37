#!/usr/bin/env bash
# console.sh MINGW_BUILD_DIR: equidist-run.exe's messages, and its usage
# lines, read as Japanese where a Windows user reads them: in a console
# whose code page is not UTF-8 (932, as on Japanese Windows), and through
# `type` in that console when standard error went to a file, which then
# holds text in the console's code page (UTF-8 where that code page has no
# Japanese, as 437). Without a console the file is in the ANSI code page:
# 932 in a Japanese locale. Wine gives its programs a console when they run
# in a terminal, which `script` provides.
set -euo pipefail
mingw=$(realpath "$1")
run=$mingw/bin/equidist-run.exe
want="端点が検索出来ませんでした"  # the status for a missing exchange file
usage="使い方：equidist-run フォルダー 分割距離 [--esc-at K] [--threads N]"
export LC_ALL=C.UTF-8

work=$(mktemp -d "${TMPDIR:-/tmp}/equidist-console.XXXXXX")
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "CONSOLE FAIL: $*" >&2; exit 1; }
# encoded CODE_PAGE: the messages and the usage lines as a reader in that
# code page wants the file's bytes.
encoded() {
  local text
  text=$(printf '%s\r\n' "$want" "$usage" "        equidist-run --version")
  case $1 in
    932) iconv -f UTF-8 -t CP932 <<<"$text" ;;
    *) cat <<<"$text" ;;
  esac
}

timeout 300 wineboot -i >/dev/null 2>&1 || fail "wineboot failed"
mkdir "$work/empty"
folder=$(winepath -w "$work/empty")
exe=$(winepath -w "$run")

for cp in 932 437 65001; do
  rm -f "$work/empty/QZT_TEMP.TXT" "$work/err.txt"
  {
    printf '@echo off\r\nchcp %s >nul\r\n' "$cp"
    printf '"%s" "%s" 4\r\n' "$exe" "$folder"           # to the console
    printf '"%s" "%s" 4 2>err.txt\r\n' "$exe" "$folder" # to a file
    printf '"%s" 2>>err.txt\r\n' "$exe"                  # the usage lines
    printf 'echo exit code %%errorlevel%%\r\ntype err.txt\r\n'
  } >"$work/run.bat"
  (cd "$work" && script -qec "wine cmd /c run.bat" /dev/null >"$work/tty" </dev/null) || true
  # What the terminal shows, without its control sequences.
  shown=$(sed -e 's/\x1b\[[0-9;?]*[A-Za-z]//g' -e 's/\r//g' "$work/tty")
  [[ $shown == *"$want"* ]] || fail "code page $cp: the console shows"$'\n'"$shown"
  [[ $shown == *"exit code 64"* ]] || fail "code page $cp: no exit code 64 for the usage"$'\n'"$shown"
  if [ "$cp" = 437 ]; then  # no Japanese in 437: UTF-8, which its console cannot show
    cmp -s "$work/err.txt" <(encoded 65001) || fail "code page 437: the file holds $(od -c "$work/err.txt" | head -5)"
    echo "ok code page 437: the console shows $want; the file is UTF-8"
    continue
  fi
  cmp -s "$work/err.txt" <(encoded "$cp") || fail "code page $cp: the file holds $(od -c "$work/err.txt" | head -5)"
  [ "$(grep -c -F -e "$want" -e "$usage" <<<"$shown")" = 3 ] || fail "code page $cp: type shows"$'\n'"$shown"
  echo "ok code page $cp: the console shows $want; the file is in code page $cp, and type shows it"
done

# No console: the ANSI code page, 932 in a Japanese locale; 1252 has no
# Japanese, so UTF-8.
for locale in ja_JP.UTF-8:932 C.UTF-8:65001; do
  rm -f "$work/empty/QZT_TEMP.TXT"
  rc=0
  LC_ALL=${locale%:*} wine "$run" "$folder" 4 2>"$work/stderr" || rc=$?
  [ $rc = 2 ] || fail "exit code $rc"
  cmp -s "$work/stderr" <(encoded "${locale#*:}" | head -1) ||
    fail "no console, ${locale%:*}: standard error holds $(od -c "$work/stderr" | head -5)"
  echo "ok no console, ${locale%:*}: code page ${locale#*:}"
done
echo "CONSOLE: all passed"
