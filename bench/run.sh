#!/usr/bin/env bash
# Times whole exchanges through equidist-run on generated selections and runs
# the benchmark programs; each figure is printed with its target beside it.
#   bench/run.sh [RUNS]   (RUNS: timings per exchange, the median is shown
#                          with the range; default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}

scripts/deps.sh
cmake --preset bench >/dev/null
cmake --build --preset bench
bin=build-bench/bin
work=$(mktemp -d "${TMPDIR:-/tmp}/equidist-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# exchange NAME KIND N DISTANCE [ARGS...]: one exchange through equidist-run
# RUNS times, each from a fresh copy of the generated file; sets secs[NAME]
# to the median and prints it with the range and the peak memory.
declare -A secs mb
exchange() {
  local name=$1 kind=$2 n=$3 d=$4 times=() kb=0
  shift 4
  mkdir -p "$work/$name"
  [ -f "$work/$kind-$n.in" ] || "$bin/gen-exchange" "$kind" "$n" "$work/$kind-$n.in"
  for ((r = 0; r < runs; r++)); do
    cp "$work/$kind-$n.in" "$work/$name/QZT_TEMP.TXT"
    local t0=$EPOCHREALTIME
    /usr/bin/time -f "%M" -o "$work/time" "$bin/equidist-run" "$work/$name" "$d" "$@"
    times+=("$(awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }')")
    read -r m <"$work/time"
    [ "$m" -gt "$kb" ] && kb=$m
  done
  local sorted
  sorted=$(printf '%s\n' "${times[@]}" | sort -n)
  secs[$name]=$(sed -n "$(((runs + 1) / 2))p" <<<"$sorted")
  mb[$name]=$((kb / 1024))
  printf '%-24s %8s segments %7s points  %6.3f s (%s to %s)  %4d MB peak\n' "$name" "$n" \
    "$(grep -c '^pt ' "$work/$name/QZT_TEMP.TXT")" "${secs[$name]}" "$(head -1 <<<"$sorted")" \
    "$(tail -1 <<<"$sorted")" "${mb[$name]}"
}
# arcs_threads N: N joined elliptical arcs on one thread and on two, in turn
# RUNS times, so that both meet the same minute of the machine; fails when
# their replies differ; prints the medians and sets secs[arcs-threads] to the
# median of the runs' ratios.
arcs_threads() {
  local n=$1 one=() two=() ratios=()
  mkdir -p "$work/arcs-threads"
  [ -f "$work/arcs-$n.in" ] || "$bin/gen-exchange" arcs "$n" "$work/arcs-$n.in"
  for ((r = 0; r < runs; r++)); do
    local t
    for t in 1 2; do
      cp "$work/arcs-$n.in" "$work/arcs-threads/QZT_TEMP.TXT"
      local t0=$EPOCHREALTIME
      "$bin/equidist-run" "$work/arcs-threads" 240 --threads $t
      local s
      s=$(awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }')
      if [ $t = 1 ]; then one+=("$s"); else two+=("$s"); fi
      cp "$work/arcs-threads/QZT_TEMP.TXT" "$work/arcs-threads/reply-$t"
    done
    # What is timed must be the same work: two threads reply what one does.
    cmp -s "$work/arcs-threads/reply-1" "$work/arcs-threads/reply-2" ||
      { echo "arcs-$n: the replies of one thread and two differ"; exit 1; }
    ratios+=("$(awk -v a="${two[r]}" -v b="${one[r]}" 'BEGIN { printf "%.3f", a / b }')")
  done
  median() { printf '%s\n' "$@" | sort -n | sed -n "$(((${#@} + 1) / 2))p"; }
  range() { printf '%s\n' "$@" | sort -n | sed -n '1p;$p' | paste -sd' ' | sed 's/ / to /'; }
  secs[arcs-threads]=$(median "${ratios[@]}")
  printf '%-24s %8s segments  one thread %6.3f s (%s), two threads %6.3f s (%s): %s of one (%s)\n' \
    "arcs-$n" "$n" "$(median "${one[@]}")" "$(range "${one[@]}")" "$(median "${two[@]}")" \
    "$(range "${two[@]}")" "${secs[arcs-threads]}" "$(range "${ratios[@]}")"
}
ratio() { awk -v a="${secs[$1]}" -v b="${secs[$2]}" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
# check FIGURE TARGET OP: "met" or "MISSED", as FIGURE OP TARGET holds.
check() { awk -v a="$1" -v b="$2" -v op="$3" 'BEGIN { ok = op == "<=" ? a <= b : a >= b; print ok ? "met" : "MISSED" }'; }

echo
echo "== whole exchanges through equidist-run (median of $runs, and the range)"
exchange polyline-100k polyline 100000 10
exchange polyline-1M polyline 1000000 10
exchange arcs-1k arcs 1000 240
arcs_threads 10000
echo
printf '%-52s %8s   target %-10s %s\n' \
  "1,000,000 joined lines, time (s)" "${secs[polyline-1M]}" "<= 0.35" "$(check "${secs[polyline-1M]}" 0.35 "<=")" \
  "1,000,000 joined lines, peak memory (MB)" "${mb[polyline-1M]}" "<= 150" "$(check "${mb[polyline-1M]}" 150 "<=")" \
  "ratio 1,000,000 / 100,000 lines" "$(ratio polyline-1M polyline-100k)" "<= 11" \
  "$(check "$(ratio polyline-1M polyline-100k)" 11 "<=")" \
  "10,000 joined elliptical arcs, 2 threads / 1 thread" "${secs[arcs-threads]}" "<= 0.55" \
  "$(check "${secs[arcs-threads]}" 0.55 "<=")"

echo
echo "== reading a million mixed records (target: at least 300 MiB/s), and one hostile line of 64 KiB to 4 MiB (its time in proportion to its length)"
"$bin/reader_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
echo
echo "== the walk"
"$bin/walk_bench"
echo
echo "== the elliptical arc measure"
"$bin/ellipse_bench"
echo
echo "== sine, cosine, arctangent, arccosine: correctly rounded (Cr) against the system's, ns per call"
"$bin/crmath_bench"
echo
echo "== replying 100,000 points: the save, and the same bytes written without and with the flush to the disk"
"$bin/save_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
echo
echo "== where a million joined lines spend their time"
"$bin/gen-exchange" polyline 1000000 "$work/phases.in"
"$bin/exchange-phases" "$work/phases.in" 10
