#!/usr/bin/env bash
# fuzz/run.sh TARGET SECONDS [long]: runs one libFuzzer target (fuzz_reader
# or fuzz_exchange) for SECONDS, seeded from the golden exchanges. With
# "long", the inputs run to 4 MiB, seeded with files of 1.5 to 3 MiB: over
# the reader's 1 MiB chunks and through its second thread, and lines of
# megabytes, one built to make a search go back over the line at every find.
# Its corpus grows in build-fuzz/corpus/TARGET (TARGET-long); a finding is
# written to build-fuzz/findings/ and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
target=$1 seconds=$2 mode=${3:-short}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "$target"

corpus=build-fuzz/corpus/$target
max_len=8192 timeout=60
if [ "$mode" = long ]; then
  corpus=$corpus-long max_len=$((4 << 20)) timeout=20
fi
findings=build-fuzz/findings
mkdir -p "$corpus" "$findings"

# The targets write their scratch exchange files under the temporary folder:
# one of the build's own, removed afterwards.
mkdir -p build-fuzz
scratch=$(mktemp -d "$PWD/build-fuzz/tmp.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# seed NAME DISTANCE FILE: an exchange file as a seed. For fuzz_exchange: the
# distances typed before each OK, then two bytes for ESC (255: never), then
# the file; once with the case's distance alone, once after a refused and an
# unusable one.
seed() {
  case $target in
    fuzz_reader) cp "$3" "$corpus/seed-$1" ;;
    fuzz_exchange)
      { echo "$2"; printf '\xff\xff'; cat "$3"; } >"$corpus/seed-$1"
      { echo "0.0000001 x $2"; printf '\xff\xff'; cat "$3"; } >"$corpus/seed-$1-again" ;;
  esac
}

for c in tests/cases/*/; do
  [ -f "$c/QZT_TEMP.TXT" ] || continue
  name=$(basename "$c") input=$c/QZT_TEMP.TXT
  d=$(head -c 40 "$c/args" | cut -d' ' -f1)
  if [ "$mode" = long ]; then  # the case after 1.5 MiB of records that are no part of its chain
    input=$scratch/seed
    awk 'BEGIN { for (i = 0; i < 24000; i++)
      printf "lc%d\r\npt %d 2\r\nch 5 5 1 1 0 \"\x82\xa0 %d\"\r\n# c\r\n%d 9e5 %d.5 9e5\r\n", i % 9, i, i, i, i }' >"$input"
    cat "$c/QZT_TEMP.TXT" >>"$input"
  fi
  seed "$name" "$d" "$input"
done
if [ "$mode" = long ]; then
  # One line of "file=" behind a lead byte, 2 MiB; lines that each run over
  # a chunk's end, with a chain between them.
  { printf 'hp1 0 0\r\n'; printf '\x81file=%.0s' $(seq 350000); printf '\r\n0 0 10 0\r\n'; } >"$scratch/seed"
  seed hostile-line 4 "$scratch/seed"
  { printf 'hp1 0 0\r\n'; for i in 1 2 3; do
      printf 'file='; head -c 1100000 /dev/zero | tr '\0' x; printf '\r\n%d 0 %d 0\r\n' $((i * 10 - 10)) $((i * 10))
    done; } >"$scratch/seed"
  seed chunk-edges 4 "$scratch/seed"
  rm "$scratch/seed"
fi

echo "fuzzing $target for $seconds s, inputs up to $max_len bytes"
# The fuzzer's own exit status counts, not only the artifacts it writes.
status=0
TMPDIR=$scratch ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  "build-fuzz/bin/$target" "$corpus" -max_total_time="$seconds" -max_len="$max_len" -timeout="$timeout" \
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
