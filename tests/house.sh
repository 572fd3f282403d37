#!/usr/bin/env bash
# house.sh: docs/architecture.md and the tree agree. Every path the page
# names is there; no include runs against the libraries' arrows; every test
# script the page's list of layers names is run by scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
page=docs/architecture.md
failed=0
fail() {
  echo "FAIL house: $*"
  failed=1
}

# Paths in backquotes: a folder and a name, NAME standing for any case, a
# trailing .* for a unit's files.
while read -r path; do
  pattern=${path//NAME/*}
  compgen -G "$pattern" >/dev/null || fail "$page names $path, which is not there"
done < <(grep -o '`[a-z][A-Za-z0-9_/.*-]*/[A-Za-z0-9_.*-]*`' "$page" | tr -d '`' | sort -u)

# What each library's files may include of ours, by folder: the arrows.
declare -A may=(
  [base]="base"
  [crmath]="crmath"
  [geometry]="geometry crmath"
  [exchange]="exchange geometry crmath base"
  [app]="app exchange geometry crmath base"
)
for lib in "${!may[@]}"; do
  includes=$(find "$lib" -maxdepth 1 \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 grep -H -o '^#include "[a-z]*/[^"]*"' | sed 's/:#include "\(.*\)"/ \1/')
  while read -r file included; do
    [[ " ${may[$lib]} " == *" ${included%%/*} "* ]] || fail "$file includes $included: $lib does not use ${included%%/*}"
  done <<<"$includes"
  # Within the folder, no circle: each unit's file stands for the unit.
  grep " $lib/" <<<"$includes" | sed 's/\.\(cpp\|h\)\b//g' | awk '$1 != $2' | tsort >/dev/null 2>&1 ||
    fail "the includes between the files of $lib/ run in a circle"
done

# The layers' scripts, each run by the test command.
layers=$(sed -n '/^## How the tests are layered/,/^## /p' "$page")
for script in $(grep -o '`tests/[a-z/-]*\.sh`' <<<"$layers" | tr -d '`' | sort -u); do
  case $script in
    tests/golden.sh) grep -q 'golden.sh' tests/CMakeLists.txt || fail "CTest does not run $script" ;;
    tests/e2e/e2e-wine.sh) grep -q 'e2e-wine.sh' tests/e2e/e2e.sh || fail "e2e.sh does not take in $script" ;;
    *) grep -q "^$script\b" scripts/test.sh || fail "scripts/test.sh does not run $script" ;;
  esac
done

[ $failed = 0 ] && echo "ok the page and the tree agree"
exit $failed
