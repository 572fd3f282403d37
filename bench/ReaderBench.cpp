// Reading the exchange file: a million mixed records, every kind the host
// writes. Reported as bytes per second.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "TempFile.h"
#include "exchange/KdxGaibu.h"

static void BM_LoadExchangeFile(benchmark::State& state) {
  static const auto file = GeneratedExchange("mixed", WriteMixed, 1000000);
  for (auto _ : state) {
    state.PauseTiming();
    GaibuInit();
    state.ResumeTiming();
    if (!LoadExchangeFile(file)) state.SkipWithError("the file could not be read");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(file)));
  state.counters["records"] = EntityOrderCount;
}
BENCHMARK(BM_LoadExchangeFile)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();

static void BM_ParsePlainLine(benchmark::State& state) {
  GaibuInit();
  for (auto _ : state) {
    ParseLine("12345.678 2345.125 12346.678 2346.125");
    if (LineCount == 100000) GaibuInit();
  }
  state.SetBytesProcessed(state.iterations() * 38);
}
BENCHMARK(BM_ParsePlainLine);
