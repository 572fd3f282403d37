#!/usr/bin/env bash
# fuzz/run.sh TARGET SECONDS: runs one libFuzzer target (fuzz_reader or
# fuzz_exchange) for SECONDS, seeded from the golden exchanges.
# Its corpus grows in build-fuzz/corpus/TARGET; a finding is written to
# build-fuzz/findings/ and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
target=$1 seconds=$2

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "$target"

corpus=build-fuzz/corpus/$target
findings=build-fuzz/findings
mkdir -p "$corpus" "$findings"
for c in tests/cases/*/; do
  [ -f "$c/QZT_TEMP.TXT" ] || continue
  name=$(basename "$c")
  case $target in
    fuzz_reader) cp "$c/QZT_TEMP.TXT" "$corpus/seed-$name" ;;
    # The distances typed before each OK, then two bytes for ESC (255:
    # never), then the file; once with the case's distance alone, once after
    # a refused and an unusable one.
    fuzz_exchange)
      d=$(head -c 40 "$c/args" | cut -d' ' -f1)
      { echo "$d"; printf '\xff\xff'; cat "$c/QZT_TEMP.TXT"; } >"$corpus/seed-$name"
      { echo "0.0000001 x $d"; printf '\xff\xff'; cat "$c/QZT_TEMP.TXT"; } >"$corpus/seed-$name-again" ;;
  esac
done

# The targets write their scratch exchange files under the temporary folder:
# one of the build's own, removed afterwards.
scratch=$(mktemp -d "$PWD/build-fuzz/tmp.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

echo "fuzzing $target for $seconds s"
# The fuzzer's own exit status counts, not only the artifacts it writes.
status=0
TMPDIR=$scratch ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  "build-fuzz/bin/$target" "$corpus" -max_total_time="$seconds" -max_len=8192 -timeout=60 \
  -rss_limit_mb=4096 -artifact_prefix="$findings/$target-" -print_final_stats=1 \
  2>&1 | tee "build-fuzz/$target.log" | { grep -E "^#[0-9]+.*(DONE|pulse)|ERROR|SUMMARY|stat::" || true; } ||
  status=$?
if ls "$findings/$target-"* >/dev/null 2>&1; then
  echo "FINDINGS in $findings:" && ls "$findings/$target-"*
  exit 1
fi
if [ $status != 0 ]; then
  echo "the fuzzer failed (exit $status) without a finding; see build-fuzz/$target.log"
  exit 1
fi
