#!/usr/bin/env bash
# check.sh MINGW_BUILD_DIR: the Windows package made by cpack --preset win64
# holds both programs, stripped, and the Japanese guide as Windows text, in
# one folder named after the version.
set -euo pipefail
export LC_ALL=C.UTF-8  # characters, and their columns, as UTF-8
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
# docs/guide-ja.md: no Markdown marks left, no line over 76 columns, nothing
# lined up with blanks (it reads in a proportional font too), and no word cut
# in two by a line end.
root=$(dirname "$(realpath "$0")")/../..
source=$root/docs/guide-ja.md
guide=$work/$name/guide-ja.txt
[ "$(head -c 3 "$guide" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "the guide has no byte order mark"
[ "$(grep -c $'\r$' "$guide")" = "$(wc -l <"$guide")" ] || fail "the guide's lines do not end in CR LF"
text=$work/guide.txt
tail -c +4 "$guide" | tr -d '\r' >"$text"
head -1 "$text" | grep -q -x -F "$(sed -n '1s/^# //p' "$source")" || fail "the guide does not begin with its title"
sed -n 's/^## //p' "$source" | while IFS= read -r heading; do
  grep -q -x -F "■ $heading" "$text" || fail "the guide lacks the heading '■ $heading'"
done
marks=$(grep -n -E '^(#|\||>|- |[*] )|[*][*]|`|\|-+\|' "$text" | head -5 || true)
[ -z "$marks" ] || fail "Markdown marks left in the guide:"$'\n'"$marks"
widest=$(wc -L <"$text")
[ "$widest" -le 76 ] || fail "a line of the guide is $widest columns wide"
# Blanks within a line line things up, unless the line is as written in the
# source (a block of code).
aligned=$(grep -E '[^ ]  ' "$text" | grep -v -x -F -f "$source" || true)
[ -z "$aligned" ] || fail "blanks line up text in the guide:"$'\n'"$aligned"

# cut_words FILE: the lines of FILE that end inside running text anywhere but
# after a 、 or a 。 (or the closing marks after one). A line ends inside
# running text when its last three characters and the next line's first
# three (its indent left out) stand together, or with one blank between
# them, on one line of the guide's source, its inline marks left out.
allowed='[、。][）」』】］〕〉》)]*$'  # where a line may end inside running text
flat=$(sed -E -e 's/`//g' -e 's/[*][*]//g' -e 's/\[([^]]*)\]\([^)]*\)/\1/g' "$source")
cut_words() {
  local prev="" line next tail head
  while IFS= read -r line; do
    next=${line#"${line%%[! ]*}"}
    if [ -n "$prev" ] && [ -n "$next" ]; then
      tail=$prev
      [ ${#tail} -le 3 ] || tail=${tail: -3}
      head=${next:0:3}
      if [[ $flat == *"$tail$head"* || $flat == *"$tail $head"* ]] &&
        ! [[ $prev =~ $allowed ]]; then
        printf '%s\n%s\n' "$prev" "$line"
      fi
    fi
    prev=$line
  done <"$1"
}
cut=$(cut_words "$text")
[ -z "$cut" ] || fail "a line end cuts a word in the guide:"$'\n'"$cut"
# The rule finds a cut: the source's first paragraph, cut after its fifth
# character.
sample=$(grep -m1 -v -E '^(#|$|[-|> ]|[0-9]+[.] )' "$source")
printf '%s\n%s\n' "${sample:0:5}" "${sample:5}" >"$work/cut.txt"
[ -n "$(cut_words "$work/cut.txt")" ] || fail "the check misses a word cut in two: ${sample:0:5} / ${sample:5}"

# The sizes the README states, in MB of a million bytes to one decimal, hold
# for what was built.
megabytes() {  # FILE: its size in tenths of a million bytes, rounded
  echo $((($(wc -c <"$1") + 50000) / 100000))
}
for file in "$zip" "$work/$name/equidist.exe" "$work/$name/equidist-run.exe"; do
  base=$(basename "$file")
  pattern=${base//./[.]}
  pattern=${pattern//"${version//./[.]}"/[0-9.]+}
  stated=$(grep -o -E "\`[^\`]*$pattern\` \(about [0-9]+[.][0-9] MB\)" "$root/README.md" | head -1 |
    sed -E 's/.*about ([0-9]+)[.]([0-9]) MB.*/\1\2/' || true)
  [ -n "$stated" ] || fail "the README states no size for $base"
  built=$(megabytes "$file")
  [ "$((10#$stated))" = "$built" ] ||
    fail "the README says $base is about $((10#$stated / 10)).$((10#$stated % 10)) MB; it is $(wc -c <"$file") bytes"
done

echo "PACKAGE: $name.zip, $(wc -c <"$zip") bytes:"
(cd "$work" && find "$name" -type f -printf '  %p %s bytes\n' | sort)
