// The division of a long open polyline, step by step as OK runs it: the
// walk must take time in proportion to the number of segments.
#include <benchmark/benchmark.h>

#include <vector>

#include "TempFile.h"
#include "app/ChainWalk.h"
#include "app/SegEnds.h"
#include "exchange/KdxGaibu.h"

static void BM_DividePolyline(benchmark::State& state) {
  const long n = state.range(0);
  const auto file = GeneratedExchange("polyline-" + std::to_string(n), WritePolyline, n);
  GaibuInit();
  LoadExchangeFile(file);
  for (auto _ : state) {
    OutLines.Clear();
    BuildSegEnds();
    TChain chain;
    TraceChain(FindStartEnd(0, 0), 0, 0, 10, [] { return false; }, chain);
    EmitPoints(chain, 0, 0, 10, [] { return false; }, false);
    ReleaseSegEnds();
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["points"] = OutLineCount;
}
BENCHMARK(BM_DividePolyline)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
