// The cost of measuring an elliptical arc and of one step along it: the walk
// pays the first once per arc and the second once per point on an arc.
#include <benchmark/benchmark.h>

#include "geometry/MyFunc.h"

static void BM_EllipseArcLength(benchmark::State& state) {
  double start = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(EllipseArcLength(10, 20, 100, 0.5, start, 270, 30));
    start = start < 1 ? start + 1e-3 : 0;
  }
}
BENCHMARK(BM_EllipseArcLength);

static void BM_EllipsePointAtLength(benchmark::State& state) {
  const double len = static_cast<double>(state.range(0));
  const TPointD s = RotateDeg(10 + 100, 20, 10, 20, 30);
  for (auto _ : state)
    benchmark::DoNotOptimize(EllipsePointAtLength(s.X, s.Y, 1, len, 10, 20, 100, 0.5, 0, 270, 30));
}
// A short step, and one that runs through the whole sweep.
BENCHMARK(BM_EllipsePointAtLength)->Arg(5)->Arg(1000);

static void BM_CircleArcLength(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(EllipseArcLength(10, 20, 100, 1, 0, 270, 30));
}
BENCHMARK(BM_CircleArcLength);
