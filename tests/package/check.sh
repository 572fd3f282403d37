#!/usr/bin/env bash
# check.sh MINGW_BUILD_DIR: the Windows package made by cpack --preset win64
# holds both programs, stripped, and the Japanese guide as Windows text, in
# one folder named after the version.
set -euo pipefail
mingw=$(realpath "$1")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$mingw/CMakeCache.txt")
name=equidist-$version-win64
zip=$mingw/$name.zip
fail() { echo "PACKAGE FAIL: $*" >&2; exit 1; }

[ -f "$zip" ] || fail "no $zip"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
listing=$(cd "$work" && find . -type f | sort)
want=$(printf './%s/%s\n' "$name" equidist-run.exe "$name" equidist.exe "$name" guide-ja.txt)
[ "$listing" = "$want" ] || fail "the package holds"$'\n'"$listing"
for exe in equidist.exe equidist-run.exe; do
  x86_64-w64-mingw32-objdump -h "$work/$name/$exe" | grep -q '\.debug' && fail "$exe is not stripped"
  x86_64-w64-mingw32-nm "$work/$name/$exe" 2>&1 | grep -q 'no symbols' || fail "$exe keeps its symbols"
  x86_64-w64-mingw32-objdump -p "$work/$name/$exe" | sed -n 's/^\tDLL Name: //p' | tr A-Z a-z |
    grep -v -x -e kernel32.dll -e user32.dll -e gdi32.dll -e imm32.dll -e comctl32.dll -e shell32.dll -e msvcrt.dll \
      -e advapi32.dll &&
    fail "$exe needs a library that Windows does not have"
done

# The guide as plain text for Windows' own editor, made from
# docs/guide-ja.md: no Markdown marks left, no line over 76 columns.
guide=$work/$name/guide-ja.txt
[ "$(head -c 3 "$guide" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "the guide has no byte order mark"
[ "$(grep -c $'\r$' "$guide")" = "$(wc -l <"$guide")" ] || fail "the guide's lines do not end in CR LF"
text=$work/guide.txt
tail -c +4 "$guide" | tr -d '\r' >"$text"
source=$(dirname "$(realpath "$0")")/../../docs/guide-ja.md
head -1 "$text" | grep -q -x -F "$(sed -n '1s/^# //p' "$source")" || fail "the guide does not begin with its title"
sed -n 's/^## //p' "$source" | while IFS= read -r heading; do
  grep -q -x -F "$heading" "$text" || fail "the guide lacks the heading '$heading'"
done
marks=$(grep -n -E '^(#|\||>|- |[*] )|[*][*]|`|\|-+\|' "$text" | head -5 || true)
[ -z "$marks" ] || fail "Markdown marks left in the guide:"$'\n'"$marks"
widest=$(LC_ALL=C.UTF-8 wc -L <"$text")
[ "$widest" -le 76 ] || fail "a line of the guide is $widest columns wide"
echo "PACKAGE: $name.zip, $(wc -c <"$zip") bytes:"
(cd "$work" && find "$name" -type f -printf '  %p %s bytes\n' | sort)
