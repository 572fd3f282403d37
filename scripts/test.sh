#!/usr/bin/env bash
# Sets up a fresh Debian machine and runs every test of the project.
set -euo pipefail
cd "$(dirname "$0")/.."

step() { printf '\n==== %s (%ds)\n' "$*" "$SECONDS"; }

step "system packages"
scripts/deps.sh test

step "the page and the tree agree"
tests/house.sh

step "build (the benchmarks too, which nothing here times), unit tests and golden exchanges"
cmake --preset default -DEQUIDIST_BENCH=ON >/dev/null
cmake --build --preset default
started=$(mktemp)
ctest --preset default -j"$(nproc)"
# Each test writes only into a temporary folder of its own.
left=$(find build/tests -newer "$started" -type f)
rm -f "$started"
[ -z "$left" ] || { echo "tests left files behind: $left"; exit 1; }

step "a plain Release build with Clang, as a packager would make it: the same replies, correctly rounded"
cmake -S . -B build-plain -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-plain
# The unit tests run under Clang in the sanitizer build; what this build
# alone can show is that an optimised Clang build replies and rounds the same.
ctest --test-dir build-plain -j"$(nproc)" --output-on-failure -R '^(golden|CrMath)\.'

step "the same under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize -j"$(nproc)"

step "the tests of what runs on several threads (reading, the walk) under ThreadSanitizer"
cmake --preset tsan >/dev/null
cmake --build --preset tsan
ctest --preset tsan -j"$(nproc)"
# A suite the filter names but no test has would leave its tests out unseen.
tsan_suites=$(sed -n 's/.*"filter".*"name": "^(\([^)]*\)).*/\1/p' CMakePresets.json)
[ -n "$tsan_suites" ] || { echo "no ThreadSanitizer filter found in CMakePresets.json"; exit 1; }
tsan_tests=$(ctest --preset tsan -N)
for suite in ${tsan_suites//|/ }; do
  grep -q " $suite\." <<<"$tsan_tests" || { echo "the ThreadSanitizer filter names $suite: no such suite"; exit 1; }
done

step "file-system faults"
tests/faults/faults.sh build

step "Windows program, cross-compiled"
cmake --preset mingw >/dev/null
cmake --build --preset mingw

step "Linux and Windows reply the same bytes; no math function from a DLL"
tests/same-bytes.sh build build-mingw

step "equidist-run.exe in a Windows console, under Wine"
tests/console/console.sh build-mingw

step "packages: the Windows zip, the Linux install"
cpack --preset win64 >/dev/null
tests/package/check.sh build-mingw
installed=$(mktemp -d)
trap 'rm -rf "$installed"' EXIT
cmake --install build --prefix "$installed" >/dev/null
[ -x "$installed/bin/equidist" ] && [ -x "$installed/bin/equidist-run" ] || { echo "install: a program is missing"; exit 1; }

step "end to end: the dialogs under Xvfb, equidist.exe under Wine"
tests/e2e/e2e.sh build build-mingw

step "fuzzing, a minute each: 40 s on short inputs, 20 s on inputs of megabytes"
fuzz/run.sh fuzz_reader 40
fuzz/run.sh fuzz_reader 20 long
fuzz/run.sh fuzz_exchange 40
fuzz/run.sh fuzz_exchange 20 long

step "all tests passed"
