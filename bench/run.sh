#!/usr/bin/env bash
# Times whole exchanges through equidist-run on generated selections, each
# beside one ten times smaller, and runs the benchmark programs.
#   bench/run.sh [RUNS]   (RUNS: timings per file, the median is shown; default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}

scripts/deps.sh
cmake --preset bench >/dev/null
cmake --build --preset bench
bin=build-bench
work=$(mktemp -d "${TMPDIR:-/tmp}/equidist-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# exchange NAME KIND N DISTANCE: the median time and the peak memory of one
# exchange, from a fresh copy of the generated file each run.
declare -A secs
exchange() {
  local name=$1 kind=$2 n=$3 d=$4 times=() kb=0
  mkdir -p "$work/$name"
  "$bin/bin/gen-exchange" "$kind" "$n" "$work/$name.in"
  for ((r = 0; r < runs; r++)); do
    cp "$work/$name.in" "$work/$name/QZT_TEMP.TXT"
    local t0=$EPOCHREALTIME
    /usr/bin/time -f "%M" -o "$work/time" "$bin/bin/equidist-run" "$work/$name" "$d"
    times+=("$(awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }')")
    read -r m <"$work/time"
    [ "$m" -gt "$kb" ] && kb=$m
  done
  local median
  median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
  secs[$name]=$median
  printf '%-22s %9s segments  %7.3f s  %5d MB peak  %7s points\n' "$name" "$n" "$median" $((kb / 1024)) \
    "$(grep -c '^pt ' "$work/$name/QZT_TEMP.TXT")"
}

echo
echo "== whole exchanges through equidist-run (median of $runs)"
exchange polyline-100k polyline 100000 10
exchange polyline-1M polyline 1000000 10
exchange arcs-1k arcs 1000 240
exchange arcs-10k arcs 10000 240
ratio() { awk -v a="${secs[$1]}" -v b="${secs[$2]}" 'BEGIN { printf "%.1f", (b > 0 ? a / b : 0) }'; }
echo "ratio polyline 1M / 100k: $(ratio polyline-1M polyline-100k)   (target: at most 12; 1M under 1.5 s)"
echo "ratio arcs 10k / 1k:      $(ratio arcs-10k arcs-1k)"

echo
echo "== reading (target: at least 150 MB/s; the benchmark reports MiB/s)"
"$bin/bin/reader_bench"
echo
echo "== the walk"
"$bin/bin/walk_bench"
echo
echo "== the elliptical arc measure"
"$bin/bin/ellipse_bench"
echo
echo "== replying 100,000 points: the save, and the same bytes written without and with the flush to the disk"
"$bin/bin/save_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
